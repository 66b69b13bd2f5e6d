#pragma once
// A view of the main frame: it handles the commands routed to it while it is active, its
// private messages, and the notice of being activated or deactivated.

#include "platform/ui/messages.h"

#include <QEvent>
#include <QWidget>

#include <cstdint>

class CommandBar;

// What a view asks of the frame that holds it.
class ViewFrame {
  public:
    virtual CommandBar& Bar() = 0;
    // The main window: its title, and where a view posts the commands the frame handles.
    virtual QWidget* MainWindow() = 0;
    // Shows the camera view, or the grid, on the item once the current handler has returned.
    virtual void OpenCamera(const QString& itemPath) = 0;
    virtual void OpenGrid(const QString& itemPath) = 0;

  protected:
    ~ViewFrame() = default;
};

class View : public QWidget {
  public:
    using QWidget::QWidget;

    // True when the view handled the command.
    virtual bool OnCommand(int id) = 0;
    virtual void OnActivateView(bool activate, View* activated, View* deactivated) = 0;
    // Called once, when the frame first shows the view.
    virtual void OnUpdate() {}

  protected:
    // A private message posted to the view (WM_USER + n).
    virtual void OnMessage(uint32_t message, intptr_t wParam, intptr_t lParam) {
        (void)message;
        (void)wParam;
        (void)lParam;
    }

    bool event(QEvent* event) override {
        if (event->type() == WindowMessageEvent::kType) {
            const auto* message = static_cast<const WindowMessageEvent*>(event);
            if (message->message == WM_COMMAND) {
                OnCommand(static_cast<int>(message->wParam));
            } else {
                OnMessage(message->message, message->wParam, message->lParam);
            }
            return true;
        }
        return QWidget::event(event);
    }
};
