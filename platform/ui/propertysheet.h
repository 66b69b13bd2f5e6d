#pragma once
// A tabbed dialog of property pages with OK and Cancel. Leaving a page, by its tab or by
// SetActivePage, first takes and checks its data; a failing check keeps it active. OK does the
// same for the active page and then closes the sheet with IDOK; the other pages were checked
// when they were left.

#include "platform/ui/dialog.h"

#include <QString>

#include <vector>

class PropertyPage;
class QTabWidget;

class PropertySheet : public Dialog {
  public:
    PropertySheet(const QString& caption, QWidget* parent = nullptr);

    // The sheet takes ownership; pages are shown in the order added.
    void AddPage(PropertyPage* page);
    int GetPageCount() const { return static_cast<int>(pages.size()); }
    PropertyPage* GetPage(int index) const { return pages.at(index); }
    int GetActiveIndex() const { return activeIndex; }
    PropertyPage* GetActivePage() const;
    // Leaves the active page and activates the page at index; false when the active page's
    // data did not pass its checks (it stays active).
    bool SetActivePage(int index);

  protected:
    // Activates the first page and focuses its first field.
    void OnInitDialog() override;
    void OnOK() override;

  private:
    void OnTabChosen(int index);

    QTabWidget* tabs;
    std::vector<PropertyPage*> pages;
    int activeIndex = -1;
};
