#pragma once
// The members of the camera switch that the camera view shows, in the switch's order: which one
// is shown, stepping to the next and the previous (round), and the automatic switching that
// asks the view for the next member each display time. UI thread.

#include "settings/node.h"

#include <QString>

#include <cstdint>

class QObject;
class WindowTimers;

class CameraSwitchCycle {
  public:
    // The next member is asked for by posting Command::ViewNextCamera to view.
    explicit CameraSwitchCycle(QObject* view);

    // The item shown is no camera switch.
    void Clear();
    // Starts at the first member of the switch; members whose item is gone are removed from its
    // list first. False when no member is left.
    bool Load(const Node& cameraSwitch, bool autoSwitch);
    bool IsSwitch() const { return isSwitch; }
    // The settings path of the member shown; false when there is none.
    bool CurrentMember(QString& path) const;
    // To the next or previous member, round.
    void Step(bool forward);

    bool AutoSwitch() const { return autoSwitch; }
    // Turns automatic switching on or off; its timer follows. The new state.
    bool ToggleAutoSwitch();
    // Runs the timer when switching is automatic and the switch has a display time.
    void StartTimer();
    void StopTimer();
    bool IsTimerRunning() const { return timerRunning; }
    // The member shown has just been shown: its display time starts now.
    void RestartDisplayTime();
    // While the picture is paused the switch stays on its member; once live again, the member's
    // display time starts anew.
    void Hold(bool on) { held = on; }

  private:
    void RemoveGoneMembers();
    void OnTimer();

    QObject* view;
    WindowTimers* timers; // a child of view
    bool isSwitch = false;
    bool autoSwitch = false;
    bool timerRunning = false;
    bool held = false;
    int displayTime = 0; // seconds
    uint32_t lastSwitchTick = 0;
    Node members;
    ChildIterator current;
};
