#pragma once
// Posted window messages: a message posted to a window from any thread runs on the window's
// thread after the handler that is running there now has returned. A message posted to a
// window that is destroyed before it runs is dropped.

#include <QEvent>
#include <QObject>

#include <cstdint>

inline constexpr uint32_t WM_COMMAND = 0x0111;
inline constexpr uint32_t WM_USER = 0x0400;

class WindowMessageEvent : public QEvent {
  public:
    static const QEvent::Type kType;
    WindowMessageEvent(uint32_t message, intptr_t wParam, intptr_t lParam)
        : QEvent(kType), message(message), wParam(wParam), lParam(lParam) {}

    const uint32_t message;
    const intptr_t wParam;
    const intptr_t lParam;
};

// Safe from any thread.
void PostMessage(QObject* window, uint32_t message, intptr_t wParam = 0, intptr_t lParam = 0);
// A command (WM_COMMAND with the command identifier), as menus and keys send them.
void PostCommand(QObject* window, int command);
