#pragma once
// The camera view: shows the live picture of one collection item at a time — a camera, a live
// view site, or the current member of a camera switch — through the stream control, which it
// creates once and keeps (CameraConnection). It sizes the picture, shows the camera's name in
// the title, reconnects after a lost connection, asks for credentials when the camera wants
// them, explains other failures and returns to the collection (or the grid it was opened from)
// — on a wall display (ZelPPCApp::RunsUnattended) it keeps the failure on the picture and tries
// again instead;
// it steps through camera switches (CameraSwitchCycle), sends PTZ zoom and focus commands
// (CommandSender), and saves the picture shown.
//
// Threads: everything runs on the UI thread. The control's events arrive as posted messages
// (CameraEventSink).

#include "app/shell/cameraswitchcycle.h"
#include "app/shell/view.h"

#include "cameratype/cameratypelookup.h"
#include "collection/camera.h"
#include "platform/http/commandsender.h"
#include "settings/node.h"

#include <QString>

#include <memory>

class CameraConnection;
class ControlHost;
class ICamImage;
class InstantReplay;
class QLabel;
class WaitCursor;
class WindowTimers;

class CameraView : public View {
  public:
    static constexpr int kWatchdogTimer = 2;
    static constexpr int kNoticeTimer = 3;
    static constexpr int kReconnectTimer = 4; // the next connection of a lost or failed stream, when it waits
    static constexpr uint32_t kNoticeMs = 3000;

    CameraView(QWidget* parent, ViewFrame& frame);
    ~CameraView() override;

    // The open-camera request: the item to show next.
    void SetItem(const QString& path);
    bool ControlCreated() const { return controlCreated; }

    bool OnCommand(int id) override;
    void OnActivateView(bool activate, View* activated, View* deactivated) override;

    void ConnectCamera();
    void ReconnectCamera();
    void DisconnectCamera();
    // Sizes the host window for a picture of that size (the last one reported when 0, 0).
    void Relayout(int width, int height);
    // The "View" popup for the item shown: check marks, and no switch or zoom items where they
    // do not apply.
    void AdjustMenu();

    // What the view shows, for tests and the title.
    const Camera& CurrentCamera() const { return camera; }
    ControlHost* HostWindow() const;
    ICamImage* Control() const;
    // A PTZ command is being sent: a zoom now would be dropped.
    bool SendingCommand() const { return commands.Sending(); }
    // The words over the picture ("No picture for 4 s"); empty when none.
    QString StatusText() const;
    // The camera shown is being recorded: its mark shows over the picture.
    bool ShowsRecordMark() const;
    // The mark over the picture of a recorded camera: "REC", or why its recording stopped.
    QString RecordMarkText() const;
    void PlaceRecordMark();
    // The camera's pictures show motion: "Motion" shows over them.
    bool ShowsMotion() const;
    // The next camera opened is shown paused at that moment (ms since 1970) when its replay
    // memory still holds it (within kMomentToleranceMs), else live.
    static constexpr int64_t kMomentToleranceMs = 2000;
    void ShowMoment(int64_t atMs);
    bool IsConnected() const { return connected; }
    bool IsSwitchTimerRunning() const;
    // Whether the view will connect its camera again if no connection starts (the watchdog).
    bool IsWatchdogRunning() const;
    int EffectiveRotation() const;

    // The PTZ test and the source prefix of the camera shown.
    bool HasPtz() const;
    QString SourcePrefix() const;
    // Sends one command to the camera shown; false when it is not sent.
    bool SendCommand(const QString& path);
    // Saves the picture shown, as the camera sent it, under the pictures folder; the title says
    // where for a while. The file's path, or empty when nothing was saved (the reason was shown).
    QString SavePicture();

  protected:
    void OnMessage(uint32_t message, intptr_t wParam, intptr_t lParam) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void CreateControl();
    void OnTimer(int id);
    void OnStartCamera();
    void OnCameraStoped();
    void OnStreamStarted();
    void OnConnectionBroken(int status, int second);
    void OnConnectionFailed(int status, int second);
    void OnStreamStopped();
    void TellFailure(int status);
    void KeepTrying(int status);
    void SetWaitingForCredentials(bool waiting);
    void AskForCredentials();
    void OnStepCamera(bool forward);
    void OnToggleAutoSwitch();
    void OnZoom(bool in);
    void OnRotate();
    void OnRecord();
    // Saves the pictures kept for replay as a clip in the camera's recordings folder.
    void SaveClip();
    // A failure of what the user asked for: a box, but words over the picture on a wall display,
    // where nobody may be there to close it.
    void Warn(const QString& text);
    // Motion shows over the picture, or ends (the viewer's motion alerts are told once each).
    void ShowMotion(bool on);
    // Once the stream has started: the moment ShowMoment asked for, or live.
    void GoToMoment();
    void OnShowActualSize(bool actual);
    void ReadCurrentMember();
    void ShowWaitCursor();
    void RemoveWaitCursor();
    void SetTitle(const QString& title);
    // A title for kNoticeMs, then the view's own title again.
    void ShowNotice(const QString& notice);
    bool OpenCommandConnection();
    void CloseCommandConnection();

    ViewFrame& frame;
    QString title; // the view's own title, under any notice
    bool streamStarted = false;
    QString itemPath;
    QString currentItemPath; // the item shown: itemPath, or the member of a camera switch
    Camera camera;
    std::unique_ptr<WaitCursor> waitCursor;
    bool connected = false;
    bool waitingForCredentials = false; // on a wall display: until Enter or a click
    QString currentName;
    int imageWidth = 0;
    int imageHeight = 0;
    bool actualSize = false;
    int viewRotation = 0;
    bool shouldSwitch = false;
    bool reopen = false;      // the camera is opened again once the stream shown has stopped
    bool memberShown = false; // the member connected last has shown a picture: its display time runs
    CameraSwitchCycle cycle;
    Node viewSettings;
    CameraTypeLookup cameraTypes;
    std::unique_ptr<CameraConnection> stream; // the control and its connection
    bool controlCreated = false;
    WindowTimers* timers;
    CommandSender commands; // PTZ zoom and focus, open while a PTZ camera is shown
    QLabel* recordMark;     // over the picture's upper right corner while the camera is recorded
    QLabel* motionMark;     // in the upper left corner while the camera's pictures show motion
    QString motionItem;     // the item whose motion the viewer was told of, until it ends
    int64_t momentMs = 0;   // the moment to show once the stream has started (0: live)
    int64_t askedMomentMs =
        0; // the one asked for the camera about to open: a stream still shown does not take it
    std::unique_ptr<InstantReplay> replay;
};
