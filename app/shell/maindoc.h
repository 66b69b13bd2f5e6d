#pragma once
// The viewer's one document. It holds no data: the collection lives in the settings tree. It is
// opened under a fixed name at start, and opening it reads no file.

#include <QString>

// The document template of the collection view's resource set: title, document name and the
// extension of the start-up name.
inline constexpr char16_t kDocumentTemplate[] = u"Lumenfold\nFolder\n\n\n.folder\n\n";
inline constexpr char16_t kStartDocument[] = u"Cameras.folder";

class MainDoc {
  public:
    // Reports success; there is nothing to read.
    bool OnOpenDocument(const QString& name) {
        openName = name;
        return true;
    }
    const QString& OpenName() const { return openName; }

  private:
    QString openName;
};
