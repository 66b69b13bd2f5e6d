#pragma once
// What the viewer does when motion starts or ends in a camera it shows: the event goes into the
// motion events (MotionEvents, under the data root) with a small picture of the moment, the bell
// rings at an event's start when the user asked for it (once, however many views show the camera), and the
// Events window lists the events and opens the camera at an event's moment on a double click. The Tools
// menu's options are kept in the settings ("/Motion/Bell", "/Motion/BringToBigPlace"; keys older viewers
// ignore).
//
// UI thread only.

#include "app/shell/eventswindow.h"
#include "app/shell/motionevents.h"

#include <QPointer>
#include <QString>

#include <functional>

class CommandBar;
class ICamImage;
class QWidget;

class MotionAlerts {
  public:
    // open: shows the camera at itemPath as it was at that time (ms since 1970).
    MotionAlerts(const QString& folder, std::function<void(const QString& itemPath, int64_t atMs)> open);
    ~MotionAlerts();

    // Motion started or ended in a view of the camera at itemPath; control shows its pictures.
    void Seen(const QString& itemPath, const QString& name, bool started, ICamImage* control);

    static bool BringsToBigPlace();
    static bool RingsBell();
    // The Tools menu's commands: true when the command was one of them.
    bool OnCommand(int command, QWidget* parent, CommandBar& bar);
    // Ticks the options in the menu, after it was built.
    static void CheckItems(CommandBar& bar);

    MotionEvents& Events() { return events; }
    EventsWindow* Window() const { return window; }

  private:
    MotionEvents events;
    std::function<void(const QString&, int64_t)> open;
    QPointer<EventsWindow> window;
};
