#pragma once
// One camera's stream control and the life of its connection, for every window that shows a
// camera (the camera view, each tile of the grid): the control created by its class identifier
// and embedded in a host window, its events posted to the owner window (CameraEventSink), the
// stream's settings, connecting, reconnecting and disconnecting, the credentials prompt after a
// refused stream and the texts of the other failures, and the words over the picture: the
// owner's own, or those of the watch: while a started stream brings no picture for 3 s or none
// that can be decoded, while a lost stream is tried again, and while the camera cannot be
// reached.
//
// UI thread only. The control's events reach the owner as posted messages; no code here runs
// on the control's threads.

#include "foundation/reconnectbackoff.h"
#include "platform/com/comptr.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class Camera;
class CameraEventSink;
class ControlHost;
class ICamImage;
class StatusOverlay;
class WindowTimers;
class QWheelEvent;
class QWidget;

class CameraConnection {
  public:
    static constexpr uint32_t kStallMs = 3000;        // no new picture for this long: say so
    static constexpr int kUndecodedInARow = 3;        // pictures that cannot be decoded: say so
    static constexpr int kFrozenSeconds = 5;          // the same picture, byte for byte, this long: say so
    static constexpr uint32_t kRetryFailedMs = 10000; // a camera that failed is tried again after this

    // Creates the control in a host window inside owner, which receives the events. The log
    // lines of the creation go under logFunction ("CameraView::OnCreate"); a failure to create
    // the control is also shown in a message box.
    CameraConnection(QWidget* owner, const char16_t* logFunction);
    ~CameraConnection();
    CameraConnection(const CameraConnection&) = delete;
    CameraConnection& operator=(const CameraConnection&) = delete;

    // The control was created, embedded and connected to the sink.
    bool Created() const { return created; }
    ICamImage* Control() const { return control.Get(); }
    ControlHost* HostWindow() const { return hostWindow; }

    // Before a stream: the rotation, stretch mode, the camera's credentials and the
    // tap-to-centre template (a null text: taps send nothing).
    void Prepare(const Camera& camera, int rotation, bool stretch, const QString& ptzUrl);
    // Starts the stream at the URL (put URL); an empty URL goes as a missing one, which the
    // control reports as a failed connection instead of refusing it without a word.
    void Open(const QString& url);
    // StartDownload: the same stream again.
    void Reconnect();
    // The stream broke (after Disconnect) and the owner tries again: until a stream starts, the
    // words over the picture say so, with the seconds since it broke. Returns the wait before
    // the next Reconnect: none, unless the last connections brought fewer than a handful of
    // pictures each (ReconnectBackoff).
    uint32_t ConnectionLost();
    // The wait before trying again a camera that failed: kRetryFailedMs, or longer while the
    // reconnects back off.
    uint32_t FailedWaitMs();
    // The digital zoom, about the middle of what is shown: one step in (1) or out (-1), or back
    // to the whole picture (0).
    void ZoomPicture(int steps);
    // The steps of the commands PictureZoomIn (1), PictureZoomOut (-1) and WholePicture (0).
    static int ZoomStepsOf(int command);
    // A wheel turned over the picture in a window of the owner's that lets the mouse through
    // the control's (a tile): the control zooms as if turned over it.
    void WheelOverPicture(const QWheelEvent& event, QWidget* from);
    // The control keeps the last seconds of the camera for instant replay and clips, as the
    // settings say ("/Recording/ReplaySeconds", default 30; "/Recording/ReplayMiB", default 64).
    void KeepReplay();
    // The control looks for motion when the item's settings ask for it (MotionOptions), and then
    // keeps the last seconds as KeepReplay does, so that an event's moment can be seen again.
    void DetectMotion(const QString& itemPath);
    // A start of motion that arrives is still true of the stream shown (not one left since).
    bool InMotion() const;
    // StopDownload.
    void Disconnect();
    void SetCredentials(const QString& user, const QString& password);

    // The stream has started: the watch of its pictures begins. StreamEnded ends every watch;
    // Open and Reconnect start the watch of the connection being made ("Cannot connect to the
    // camera, trying again" while the camera cannot be reached), Disconnect ends it.
    void StreamStarted();
    void StreamEnded();
    // The owner's own words over the picture; the watch's come first while it has any.
    void SetStatus(const QString& text);
    // A short notice over every other word until it is cleared (empty): where a picture was saved.
    void SetNotice(const QString& text);
    // The words over the picture now (empty: none).
    QString ShownStatus() const;

    // The picture shown, as the camera sent it; empty while none is shown.
    QByteArray Picture() const;

    // The camera refused the stream (401): asks for a user name and password. OK gives the
    // control the user name and password entered (unless the name is empty) and, when the user
    // asked for it, keeps them in camera and in the item at itemPath and saves the settings;
    // true. Cancel: false. Log lines go under logFunction.
    bool AskForCredentials(QWidget* parent, Camera& camera, const QString& itemPath,
                           const char16_t* logFunction);
    // What any other failure (the status of OnConnectionFailed) tells the user about camera,
    // after its log line under logFunction.
    static QString FailureText(int status, const Camera& camera, const char16_t* logFunction);
    // The rotation a camera is shown at: its own Rotation added to the view's, when it has one.
    static int EffectiveRotation(const Camera& camera, int viewRotation);

  private:
    enum class Watch { None, Connecting, Lost, Streaming };
    void StartWatch(Watch what);
    void CheckPictures();
    QString WatchWords();
    void ShowStatus();

    QWidget* owner;
    ComPtr<ICamImage> control;
    std::unique_ptr<CameraEventSink> eventSink;
    ControlHost* hostWindow = nullptr;
    StatusOverlay* overlay = nullptr;
    WindowTimers* timers = nullptr;
    bool created = false;
    QString cameraName; // for the log

    QString notice;      // the owner's notice, over the rest
    QString status;      // the owner's words
    QString watchStatus; // the watch's words
    Watch watch = Watch::None;
    uint32_t lostTick = 0;                // when the stream broke, while it is being tried again; 0: not lost
    std::optional<QString> typedUserName; // typed in the prompt, until a stream starts
    int32_t lastShown = 0;                // the control's picture count at the last check
    int32_t shownAtOpen = 0;              // the control's picture count when the stream was last opened
    ReconnectBackoff backoff;
    uint32_t lastPictureTick = 0; // when it last moved (or the stream started)
};
