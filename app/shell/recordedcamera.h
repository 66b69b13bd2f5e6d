#pragma once
// One camera the viewer records, whatever is on screen: a hidden stream control of its own, which
// shares the camera's one connection with the views that show it (SharedConnection) and draws
// nothing, recording into the camera's folder. A lost or failed stream is tried again as a wall
// display's tiles do; once a second it looks whether the recording stopped by itself (a full
// disk), then tells its listener once and tries again every kResumeMs until it writes again.
//
// UI thread only. The control's events arrive as posted messages (CameraEventSink).

#include "collection/camera.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class CameraConnection;
class MotionAlerts;
class WindowTimers;

class RecordedCamera : public QWidget {
  public:
    static constexpr uint32_t kCheckMs = 1000;
    static constexpr uint32_t kResumeMs = 10000;

    // Records the item at path into folder, keeping it within the limits (0: none), all the time
    // or only around motion (as the item's MotionOptions say); stopped is called when the
    // recording stops by itself or is tried again, with why it stopped the first time it stops
    // (empty otherwise). Motion the camera's pictures show goes to the viewer's motion alerts.
    RecordedCamera(const QString& path, const QString& folder, int keepGiB, int keepDays, bool onMotion,
                   MotionAlerts* alerts, std::function<void(RecordedCamera&, const QString& why)> stopped);
    ~RecordedCamera() override;

    const QString& ItemPath() const { return itemPath; }
    const QString& Name() const { return camera.name; }
    const QString& Folder() const { return folder; }
    // A file is being written.
    bool Writing() const;
    bool OnMotion() const { return onMotion; }
    const MotionOptions& Motion() const { return camera.motion; }
    // The item's settings now are those it records with: its name, address, user name, password
    // and motion settings.
    bool Current() const;
    // Why the recording stopped, or why the camera cannot be recorded; empty while it goes on.
    const QString& Failure() const { return failure; }

  protected:
    bool event(QEvent* event) override;

  private:
    void Connect();
    void TryAgain(uint32_t waitMs);
    void Check();
    void Resume();
    void ShowMotion(bool on);

    const QString itemPath;
    const QString folder;
    const bool onMotion;
    MotionAlerts* const alerts;
    bool moving = false; // the alerts were told of motion that has not ended
    Camera camera;
    std::unique_ptr<CameraConnection> stream;
    WindowTimers* timers;
    std::function<void(RecordedCamera&, const QString&)> stopped;
    bool connected = false;
    QString failure;
    bool told = false; // the listener knows of the stop; until it writes again
};
