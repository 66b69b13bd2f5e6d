#include "platform/ui/dialog.h"

#include "platform/ui/dataexchange.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/messages.h"
#include "platform/ui/modal.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>

Dialog::Dialog(QWidget* parent) : QDialog(parent) {
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] { OnCommand(ID_HELP); });
}

int Dialog::DoModal() {
    return RunModal(this);
}

bool Dialog::UpdateData(bool saveAndValidate) {
    DataExchange dx(this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

void Dialog::DoDataExchange(DataExchange&) {}

void Dialog::OnInitDialog() {
    UpdateData(false);
}

void Dialog::OnOK() {
    if (UpdateData(true))
        done(IDOK);
}

void Dialog::OnCancel() {
    done(IDCANCEL);
}

void Dialog::OnCommand(int command) {
    if (command == IDOK) {
        OnOK();
    } else if (command == IDCANCEL) {
        OnCancel();
    } else if (command == ID_HELP) {
        if (QWidget* owner = parentWidget())
            PostCommand(owner->window(), ID_HELP);
    } else {
        done(command);
    }
}

void Dialog::OnMessage(uint32_t, intptr_t, intptr_t) {}

QDialogButtonBox* Dialog::NewButtonBox(QDialogButtonBox::StandardButtons buttons) {
    auto* box = new QDialogButtonBox(buttons, this);
    connect(box, &QDialogButtonBox::accepted, this, [this] { OnOK(); });
    connect(box, &QDialogButtonBox::rejected, this, [this] { OnCancel(); });
    return box;
}

bool Dialog::event(QEvent* event) {
    if (event->type() != WindowMessageEvent::kType)
        return QDialog::event(event);
    const auto* message = static_cast<WindowMessageEvent*>(event);
    if (message->message == WM_COMMAND) {
        OnCommand(static_cast<int>(message->wParam));
    } else {
        OnMessage(message->message, message->wParam, message->lParam);
    }
    return true;
}

void Dialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (initialized)
        return;
    initialized = true;
    OnInitDialog();
    FitTitle(this);
    FitToScreen(this);
}

bool IsHandheldScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen && screen->availableGeometry().width() <= kHandheldWidth;
}

void FitTitle(QWidget* window) {
    // Title bars draw their text in a bold font and hold the window's icon and buttons.
    QFont font = window->font();
    font.setBold(true);
    const int needed = QFontMetrics(font).horizontalAdvance(window->windowTitle()) + kTitleBarButtons;
    if (window->width() < needed)
        window->resize(needed, window->height());
}

void FitToScreen(QWidget* window) {
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    const bool fits = frame.width() <= area.width() && frame.height() <= area.height();
    if (fits && !IsHandheldScreen())
        return;
    const QSize decoration = frame.size() - window->size();
    window->resize(area.size() - decoration);
    window->move(area.topLeft());
}
