#pragma once
// The help document, shown inside the program at a topic.

#include <QString>

class QTextBrowser;

class HelpWindow {
  public:
    // Opens the bundled document at the anchor in the program's help window (made on first use).
    static void Show(const QString& document, const QString& anchor);
    // The window, once shown (for tests and screenshots).
    static QTextBrowser* Window();
    // Closes it, when the viewer closes.
    static void Close();
};
