#include "platform/ui/propertysheet.h"

#include "platform/ui/messagebox.h"
#include "platform/ui/propertypage.h"

#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

PropertySheet::PropertySheet(const QString& caption, QWidget* parent)
    : Dialog(parent), tabs(new QTabWidget(this)) {
    setWindowTitle(caption);
    tabs->setUsesScrollButtons(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(NewButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel));
    connect(tabs, &QTabWidget::currentChanged, this, [this](int index) { OnTabChosen(index); });
}

void PropertySheet::AddPage(PropertyPage* page) {
    page->sheet = this;
    pages.push_back(page);
    const QSignalBlocker blocker(tabs);
    tabs->addTab(page, page->Caption());
}

PropertyPage* PropertySheet::GetActivePage() const {
    return activeIndex < 0 ? nullptr : pages.at(activeIndex);
}

bool PropertySheet::SetActivePage(int index) {
    if (index < 0 || index >= GetPageCount() || index == activeIndex)
        return index == activeIndex;
    if (PropertyPage* leaving = GetActivePage(); leaving && !leaving->OnKillActive())
        return false;
    activeIndex = index;
    {
        const QSignalBlocker blocker(tabs);
        tabs->setCurrentIndex(index);
    }
    pages.at(index)->Activate();
    return true;
}

void PropertySheet::OnTabChosen(int index) {
    // The tab has already changed: show the page being left again while its data are checked,
    // so that a failing check points at a visible control.
    {
        const QSignalBlocker blocker(tabs);
        tabs->setCurrentIndex(activeIndex);
    }
    SetActivePage(index);
}

void PropertySheet::OnInitDialog() {
    if (pages.empty())
        return;
    SetActivePage(0);
    // What the user types goes into the first field of the first page, as in a dialog, not to
    // the tabs.
    QWidget* page = pages.front();
    for (QWidget* next = page->nextInFocusChain(); next != page; next = next->nextInFocusChain()) {
        if (page->isAncestorOf(next) && (next->focusPolicy() & Qt::TabFocus) && next->isEnabled() &&
            next->isVisibleTo(page)) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void PropertySheet::OnOK() {
    PropertyPage* active = GetActivePage();
    if (active && !active->OnKillActive())
        return;
    done(IDOK);
}
