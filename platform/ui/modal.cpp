#include "platform/ui/modal.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <deque>

namespace {

bool seamEnabled = false; // UI thread only
std::deque<std::function<void(QDialog*)>> handlers;
int unexpected = 0;

} // namespace

int RunModal(QDialog* dialog) {
    if (seamEnabled) {
        std::function<void(QDialog*)> handler;
        if (!handlers.empty()) {
            handler = std::move(handlers.front());
            handlers.pop_front();
        } else {
            ++unexpected;
            handler = [](QDialog* d) { d->reject(); };
        }
        QPointer<QDialog> guarded(dialog);
        QTimer::singleShot(0, dialog, [guarded, handler] {
            if (guarded)
                handler(guarded.data());
        });
    }
    // Where the keys went before, else the dialog's owner: they go there again afterwards, also
    // where no window manager gives the focus back.
    QPointer<QWidget> before =
        QApplication::focusWidget() ? QApplication::focusWidget() : dialog->parentWidget();
    const int result = dialog->exec();
    if (before && before->isVisible()) {
        before->window()->activateWindow();
        before->setFocus(Qt::OtherFocusReason);
    }
    return result;
}

namespace ModalSeam {

void Enable() {
    seamEnabled = true;
    handlers.clear();
    unexpected = 0;
}

void Disable() {
    seamEnabled = false;
    handlers.clear();
}

void QueueHandler(std::function<void(QDialog*)> handler) {
    handlers.push_back(std::move(handler));
}

int Unexpected() {
    return unexpected;
}

} // namespace ModalSeam
