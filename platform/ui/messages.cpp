#include "platform/ui/messages.h"

#include <QCoreApplication>

const QEvent::Type WindowMessageEvent::kType = static_cast<QEvent::Type>(QEvent::registerEventType());

void PostMessage(QObject* window, uint32_t message, intptr_t wParam, intptr_t lParam) {
    if (window)
        QCoreApplication::postEvent(window, new WindowMessageEvent(message, wParam, lParam));
}

void PostCommand(QObject* window, int command) {
    PostMessage(window, WM_COMMAND, command, 0);
}
