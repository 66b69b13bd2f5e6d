#include "platform/ui/propertypage.h"

#include "platform/ui/dataexchange.h"
#include "platform/ui/inputpanel.h"
#include "platform/ui/messages.h"

PropertyPage::PropertyPage(const QString& caption, QWidget* parent) : QWidget(parent), caption(caption) {}

bool PropertyPage::UpdateData(bool saveAndValidate) {
    DataExchange dx(this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

void PropertyPage::OnInitDialog() {
    UpdateData(false);
}

void PropertyPage::OnSetActive() {
    // Every page is typed into, so a handheld raises its input panel with each page.
    SHSipPreference(this, SIP_UP);
    // Another page may have changed the data since this one showed them.
    if (shownBefore)
        UpdateData(false);
    shownBefore = true;
}

bool PropertyPage::OnKillActive() {
    return UpdateData(true);
}

void PropertyPage::DoDataExchange(DataExchange&) {}

void PropertyPage::OnMessage(uint32_t, intptr_t, intptr_t) {}

bool PropertyPage::event(QEvent* event) {
    if (event->type() != WindowMessageEvent::kType)
        return QWidget::event(event);
    const auto* message = static_cast<WindowMessageEvent*>(event);
    OnMessage(message->message, message->wParam, message->lParam);
    return true;
}

void PropertyPage::Activate() {
    if (!initialized) {
        initialized = true;
        OnInitDialog();
    }
    OnSetActive();
}
