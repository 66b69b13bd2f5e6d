#pragma once
// Instant replay in the camera view: pausing the picture shown while the stream goes on, stepping
// back and forth through the last seconds the control keeps (a picture, or 5 s, at a time), and
// back to live; while paused, the words over the picture say when the picture shown arrived
// ("Paused 14:03:07, 12 s ago"), counted every second.
//
// UI thread only.

#include <QString>

#include <cstdint>
#include <functional>

class ICamImage;
class WindowTimers;
class QWidget;

class InstantReplay {
  public:
    static constexpr int32_t kStepMs = 5000;

    // status: what to say over the picture (empty: nothing).
    InstantReplay(QWidget* owner, std::function<void(const QString&)> status);

    // A new control or camera: live.
    void Reset(ICamImage* control);
    bool Paused() const { return paused; }
    // Pause, or live again when paused.
    void TogglePause();
    // Pictures (negative: back) or milliseconds, pausing first.
    void StepPictures(int pictures);
    void StepMs(int32_t milliseconds);
    void Live();

  private:
    void ShowTime();

    ICamImage* control = nullptr;
    std::function<void(const QString&)> status;
    WindowTimers* timers;
    bool paused = false;
};
