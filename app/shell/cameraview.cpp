#include "app/shell/cameraview.h"

#include "app/resources/resource.h"
#include "app/shell/cameraconnection.h"
#include "app/shell/commandbar.h"
#include "app/shell/instantreplay.h"
#include "app/shell/motionalerts.h"
#include "app/shell/picturefile.h"
#include "app/shell/recordings.h"
#include "app/shell/zelppcapp.h"

#include "control/interface/camimageinterface.h"
#include "foundation/log.h"
#include "foundation/text.h"
#include "platform/com/bstring.h"
#include "platform/fs/newfile.h"
#include "platform/fs/systemerror.h"
#include "platform/ui/controlhost.h"
#include "platform/ui/inputpanel.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/waitcursor.h"
#include "platform/ui/windowtimers.h"
#include "settings/settingsstore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>

#include <utility>

namespace {

constexpr uint32_t kWatchdogMs = 5000;
// A command being sent as the view leaves its camera is let finish this long, then cut off: a
// camera that does not answer holds no view.
constexpr uint32_t kCommandWaitMs = 1000;

constexpr int kZoomStep = 2500;
constexpr char16_t kAgent[] = u"ZelPPC";
constexpr char16_t kFailed[] = u"CameraView::OnConnectionFailed";

// Degrees as whole quarter turns from 0 to 270, whatever the settings held.
int QuarterTurns(int degrees) {
    return (degrees / 90 % 4 + 4) % 4 * 90;
}

void SetHelpAnchor(const QString& anchor) {
    if (ZelPPCApp* app = ZelPPCApp::Instance())
        app->SetHelpAnchor(anchor);
}

} // namespace

CameraView::CameraView(QWidget* parent, ViewFrame& viewFrame)
    : View(parent), frame(viewFrame), cycle(this), viewSettings(Settings().GetNode("/View")),
      timers(new WindowTimers([this](int id) { OnTimer(id); }, this)) {
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::black);
    setPalette(background);
    stream = std::make_unique<CameraConnection>(this, u"CameraView::OnCreate");
    controlCreated = stream->Created();
    recordMark = new QLabel(this);
    recordMark->setAttribute(Qt::WA_TransparentForMouseEvents);
    recordMark->hide();
    motionMark = new QLabel(LoadResText(Str::MotionWord), this);
    motionMark->setStyleSheet(
        QStringLiteral("color: black; background: #ff8f00; font-weight: bold; padding: 2px 8px;"));
    motionMark->setAttribute(Qt::WA_TransparentForMouseEvents);
    motionMark->adjustSize();
    motionMark->move(8, 8);
    motionMark->hide();
    replay = std::make_unique<InstantReplay>(this, [this](const QString& words) {
        stream->SetStatus(words);
        frame.Bar().SetChecked(Command::Pause, replay && replay->Paused());
        cycle.Hold(replay && replay->Paused());
    });
}

void CameraView::SaveClip() {
    const QString folder = Recordings::FolderOf(currentItemPath) + QLatin1Char('/') +
                           QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    const QString stem = folder + QLatin1Char('/') + SafeFileName(currentName) + QLatin1Char('-') +
                         QTime::currentTime().toString(QStringLiteral("hhmmss")) + QStringLiteral("-clip");
    QDir().mkpath(folder);
    // A second clip of the same second, or another viewer's, gets a name of its own.
    int error = 0;
    QString path = CreateNewFile(stem, QStringLiteral(".mkv"), error);
    if (!path.isEmpty() && stream->Control()->put_ClipFile(BString(path).Get()) == S_OK) {
        ShowNotice(FormatText(LoadResText(Str::ClipSaved), {path}));
        return;
    }
    BString failure;
    stream->Control()->get_RecordingError(failure.Receive());
    const QString why = path.isEmpty() ? SystemErrorText(error) : failure.ToQString();
    if (path.isEmpty())
        path = stem + QStringLiteral(".mkv");
    else if (QFileInfo(path).size() == 0)
        QFile::remove(path); // the name claimed, with nothing in it
    LogError(u"CameraView::SaveClip", "Could not save '%S': %S", Wide(path), Wide(why));
    Warn(FormatText(LoadResText(Str::ClipNotSaved), {path, why}));
}

void CameraView::Warn(const QString& text) {
    if (ZelPPCApp::RunsUnattended()) {
        ShowNotice(text);
        return;
    }
    MessageBox(this, text, LoadResText(Str::AppTitle), MB_OK | MB_ICONEXCLAMATION);
}

bool CameraView::ShowsMotion() const {
    return motionMark->isVisibleTo(this);
}

void CameraView::ShowMotion(bool on) {
    motionMark->setVisible(on);
    motionMark->raise();
    if (on == !motionItem.isEmpty())
        return;
    MotionAlerts* alerts = ZelPPCApp::Instance() ? ZelPPCApp::Instance()->Alerts() : nullptr;
    if (on) {
        motionItem = currentItemPath;
        if (alerts)
            alerts->Seen(motionItem, currentName, true, Control());
    } else {
        if (alerts)
            alerts->Seen(motionItem, currentName, false, nullptr);
        motionItem.clear();
    }
}

bool CameraView::ShowsRecordMark() const {
    return recordMark->isVisibleTo(this);
}

QString CameraView::RecordMarkText() const {
    return ShowsRecordMark() ? recordMark->text() : QString();
}

void CameraView::PlaceRecordMark() {
    const Recordings* recordings = ZelPPCApp::Instance() ? ZelPPCApp::Instance()->Recorder() : nullptr;
    const bool recorded = recordings && recordings->IsRecorded(currentItemPath);
    // A recording that stopped by itself says why, in grey: a wall display is not shown REC
    // while nothing is written.
    const QString why = recordings ? recordings->StoppedBecause(currentItemPath) : QString();
    recordMark->setText(why.isEmpty() ? QStringLiteral("\u25CF REC")
                                      : FormatText(LoadResText(Str::RecordingStopped), {camera.name, why}));
    recordMark->setStyleSheet(
        QStringLiteral("color: %1; background: rgba(0, 0, 0, 150); font-weight: bold; "
                       "padding: 2px 6px;")
            .arg(why.isEmpty() ? QStringLiteral("#ff3b30") : QStringLiteral("#b0bec5")));
    recordMark->setWordWrap(false);
    recordMark->adjustSize();
    if (const int room = std::max(80, width() - 16); recordMark->width() > room) { // on lines of its own
        recordMark->setWordWrap(true);
        recordMark->resize(room, recordMark->heightForWidth(room));
    }
    recordMark->setVisible(recorded || !why.isEmpty());
    recordMark->move(width() - recordMark->width() - 8, 8);
    recordMark->raise();
    if (frame.Bar().CurrentSet() == ResourceSet::CameraView)
        frame.Bar().SetChecked(Command::Record, recorded);
}

void CameraView::OnRecord() {
    Recordings* recordings = ZelPPCApp::Instance() ? ZelPPCApp::Instance()->Recorder() : nullptr;
    if (recordings && !currentItemPath.isEmpty()) // an empty switch shows no camera to record
        recordings->Toggle(currentItemPath);
    PlaceRecordMark();
}

CameraView::~CameraView() {
    ShowMotion(false);
    CloseCommandConnection();
    stream.reset(); // stops the stream: no event of the control comes after this
}

ControlHost* CameraView::HostWindow() const {
    return stream->HostWindow();
}

ICamImage* CameraView::Control() const {
    return stream->Control();
}

QString CameraView::StatusText() const {
    return stream->ShownStatus();
}

void CameraView::SetItem(const QString& path) {
    itemPath = path;
    streamStarted = false;
}

// ---- small helpers

void CameraView::SetTitle(const QString& newTitle) {
    title = newTitle;
    timers->KillTimer(kNoticeTimer);
    stream->SetNotice(QString());
    frame.MainWindow()->setWindowTitle(title);
}

void CameraView::ShowNotice(const QString& notice) {
    frame.MainWindow()->setWindowTitle(notice);
    // Full screen hides the title: the picture says it.
    stream->SetNotice(frame.MainWindow()->isFullScreen() ? notice : QString());
    timers->SetTimer(kNoticeTimer, kNoticeMs);
}

void CameraView::ShowWaitCursor() {
    waitCursor.reset();
    waitCursor = std::make_unique<WaitCursor>();
}

void CameraView::RemoveWaitCursor() {
    waitCursor.reset();
}

int CameraView::EffectiveRotation() const {
    return CameraConnection::EffectiveRotation(camera, viewRotation);
}

bool CameraView::HasPtz() const {
    QStringList values;
    return cameraTypes.GetValueList(camera.model, camera.firmware, QStringLiteral("PTZ"), values) &&
           !values.isEmpty() && values.front() == QLatin1String("true");
}

QString CameraView::SourcePrefix() const {
    if (camera.cameraNumber == QLatin1String("default"))
        return QString();
    return QStringLiteral("camera=") + camera.cameraNumber + QLatin1Char('&');
}

bool CameraView::IsSwitchTimerRunning() const {
    return cycle.IsTimerRunning();
}

bool CameraView::IsWatchdogRunning() const {
    return timers->IsRunning(kWatchdogTimer);
}

// ---- connecting

void CameraView::ConnectCamera() {
    timers->KillTimer(kWatchdogTimer);
    timers->KillTimer(kReconnectTimer);
    SetWaitingForCredentials(false);
    HostWindow()->hide();
    PlaceRecordMark(); // of the camera shown now
    replay->Reset(Control());
    imageWidth = imageHeight = 0;
    currentName = camera.name;
    const bool ptz = HasPtz();
    stream->Prepare(camera, EffectiveRotation(), !actualSize,
                    ptz ? QStringLiteral("/vexo-cgi/com/ptz.cgi?") + SourcePrefix() +
                              QStringLiteral("imagewidth=%d&imageheight=%d&center=%d,%d")
                        : QString());
    stream->KeepReplay();
    ShowMotion(false); // of the camera shown until now
    stream->DetectMotion(currentItemPath);
    if (ptz && OpenCommandConnection())
        SendCommand(QStringLiteral("/vexo-cgi/com/ptz.cgi?autofocus=on&autoiris=on"));
    connected = true;
    memberShown = false;
    ShowWaitCursor();
    SetTitle(FormatText(LoadResText(Str::ConnectingTo), {currentName}));
    const QString url = camera.GetURL();
    LogState(u"CameraView::ConnectCamera", "Connect to '%S' '%S'", Wide(camera.name), Wide(url));
    stream->Open(url);
    cycle.StartTimer();
}

void CameraView::ReconnectCamera() {
    timers->KillTimer(kWatchdogTimer);
    timers->KillTimer(kReconnectTimer);
    SetWaitingForCredentials(false);
    SetTitle(FormatText(LoadResText(Str::ConnectingTo), {currentName}));
    LogTrace(u"CameraView::ReconnectCamera", "Reconnect to '%S' '%S'", Wide(camera.name),
             Wide(camera.GetURL()));
    connected = true;
    ShowWaitCursor();
    stream->Reconnect();
    if (HasPtz())
        OpenCommandConnection();
}

void CameraView::DisconnectCamera() {
    LogTrace(u"CameraView::DisconnectCamera", "Disconnect from '%S'", Wide(camera.name));
    connected = false;
    ShowMotion(false);
    stream->Disconnect();
    CloseCommandConnection();
}

// ---- activation and timers

void CameraView::OnActivateView(bool activate, View* activated, View* deactivated) {
    LogTrace(u"CameraView::OnActivateView", "active %d, Active 0x%08x, Deactive 0x%08x", activate ? 1 : 0,
             static_cast<unsigned>(reinterpret_cast<uintptr_t>(activated)),
             static_cast<unsigned>(reinterpret_cast<uintptr_t>(deactivated)));
    shouldSwitch = false;
    reopen = false; // a camera asked for before the view changed is not opened after it
    if (!controlCreated)
        return;
    if (activate) {
        SetHelpAnchor(QStringLiteral("view"));
        setFocus();
        if (!connected && streamStarted) {
            HostWindow()->hide();
            PostMessage(this, WM_USER + Message::Reconnect);
        } else {
            timers->SetTimer(kWatchdogTimer, kWatchdogMs);
        }
        return;
    }
    RemoveWaitCursor();
    timers->KillTimer(kWatchdogTimer);
    timers->KillTimer(kReconnectTimer);
    cycle.StopTimer(); // also while a switch was between two members
    if (connected) {
        HostWindow()->hide();
        DisconnectCamera();
    }
    SetTitle(LoadResText(Str::AppTitle));
}

void CameraView::OnTimer(int id) {
    if (id == kWatchdogTimer) {
        timers->KillTimer(kWatchdogTimer);
        if (!connected)
            PostMessage(this, WM_USER + Message::Reconnect);
        return;
    }
    if (id == kReconnectTimer) {
        timers->KillTimer(kReconnectTimer);
        if (!connected)
            PostMessage(this, WM_USER + Message::Reconnect);
        return;
    }
    if (id == kNoticeTimer)
        SetTitle(title);
}

// ---- the control's events

void CameraView::OnMessage(uint32_t message, intptr_t wParam, intptr_t lParam) {
    switch (static_cast<int>(message) - WM_USER) {
    case Message::ConnectionFailed:
        OnConnectionFailed(static_cast<int>(wParam), static_cast<int>(lParam));
        break;
    case Message::ConnectionBroken:
        OnConnectionBroken(static_cast<int>(wParam), static_cast<int>(lParam));
        break;
    case Message::StreamStarted:
        OnStreamStarted();
        break;
    case Message::Motion:
        ShowMotion(wParam != 0 && connected && stream->InMotion());
        break;
    case Message::StreamStopped:
        OnStreamStopped();
        break;
    case Message::PictureSize:
        Relayout(static_cast<int>(wParam), static_cast<int>(lParam));
        break;
    case Message::CameraStopped:
        OnCameraStoped();
        break;
    case Message::StartCamera:
        OnStartCamera();
        break;
    case Message::Reconnect:
        if (shouldSwitch)
            break; // the next member is connected instead, once the stream has stopped
        ReconnectCamera();
        // A member whose stream is lost again and again keeps its display time: the switch
        // still goes on.
        if (!cycle.IsTimerRunning())
            cycle.StartTimer();
        break;
    default:
        break;
    }
}

void CameraView::OnStreamStarted() {
    LogTrace(u"CameraView::OnStreamStarted", "Stream Started on '%S'", Wide(camera.name));
    timers->KillTimer(kWatchdogTimer);
    SetTitle(currentName);
    RemoveWaitCursor();
    HostWindow()->setGeometry(0, 0, 1, 1); // its real size comes with the picture size
    HostWindow()->show();
    streamStarted = true;
    if (!memberShown)
        cycle.RestartDisplayTime(); // counted from the member's first picture
    memberShown = true;
    stream->StreamStarted();
    GoToMoment();
}

void CameraView::ShowMoment(int64_t atMs) {
    askedMomentMs = atMs;
}

void CameraView::GoToMoment() {
    if (momentMs == 0)
        return;
    const int64_t target = momentMs;
    momentMs = 0;
    replay->StepMs(static_cast<int32_t>(
        std::clamp<int64_t>(target - QDateTime::currentMSecsSinceEpoch(), INT32_MIN, 0)));
    // The step goes back as far as the replay memory reaches: when that is not far enough, the
    // camera is shown live.
    BString shown;
    Control()->get_ShownTime(shown.Receive());
    const QDateTime time = QDateTime::fromString(shown.ToQString(), Qt::ISODateWithMs);
    if (!time.isValid() || time.toMSecsSinceEpoch() - target > kMomentToleranceMs) {
        LogInfo(u"CameraView::GoToMoment", "The moment is no longer kept: live");
        replay->Live();
        ShowNotice(FormatText(LoadResText(Str::MomentNotKept), {currentName}));
    }
}

void CameraView::Relayout(int width, int height) {
    imageWidth = width;
    imageHeight = height;
    LogTrace(u"CameraView::OnSize", "width: %d, hight: %d", width, height);
    const int clientWidth = this->width();
    const int clientHeight = this->height();
    if (clientWidth <= 0 || clientHeight <= 0 || width <= 0 || height <= 0)
        return;
    const int rotation = EffectiveRotation();
    const bool turned = rotation == 90 || rotation == 270;
    const int shownWidth = turned ? height : width;
    const int shownHeight = turned ? width : height;
    int w;
    int h;
    if (actualSize) {
        w = std::min(clientWidth, shownWidth);
        h = std::min(clientHeight, shownHeight);
    } else {
        const float aspect = static_cast<float>(shownWidth) / static_cast<float>(shownHeight);
        if (static_cast<float>(shownWidth) / clientWidth > static_cast<float>(shownHeight) / clientHeight) {
            w = clientWidth;
            h = static_cast<int16_t>(static_cast<int>(clientWidth * (1.0 / aspect)));
        } else {
            h = clientHeight;
            w = static_cast<int16_t>(static_cast<int>(clientHeight * aspect));
        }
    }
    // Centred when the view is larger than the picture.
    HostWindow()->setGeometry(std::max(0, (clientWidth - w) / 2), std::max(0, (clientHeight - h) / 2), w, h);
    HostWindow()->repaint();
}

void CameraView::resizeEvent(QResizeEvent* event) {
    View::resizeEvent(event);
    PlaceRecordMark();
    if (imageWidth > 0 && HostWindow()->isVisible())
        Relayout(imageWidth, imageHeight);
}

void CameraView::OnConnectionBroken(int status, int second) {
    timers->KillTimer(kWatchdogTimer);
    RemoveWaitCursor();
    if (connected) {
        LogError(u"CameraView::OnConnectionBroken", "OnConnectionBroken on '%S', %d, %d", Wide(camera.name),
                 status, second);
        ShowWaitCursor();
        DisconnectCamera();
        const uint32_t wait = stream->ConnectionLost();
        if (wait == 0)
            PostMessage(this, WM_USER + Message::Reconnect);
        else
            timers->SetTimer(kReconnectTimer, wait);
    } else {
        LogTrace(u"CameraView::OnConnectionBroken", "OnConnectionBroken on '%S'", Wide(camera.name));
    }
    SetHelpAnchor(QStringLiteral("view"));
}

void CameraView::OnStreamStopped() {
    timers->KillTimer(kWatchdogTimer);
    // A stream ends after it was lost or failed, or after the view stopped it: each has left
    // `connected` as it should be. The end of a lost stream can come after its reconnect, which
    // it must not undo.
    PostMessage(this, WM_USER + Message::CameraStopped);
}

void CameraView::OnConnectionFailed(int status, int second) {
    timers->KillTimer(kWatchdogTimer);
    momentMs = 0; // the next stream is live
    RemoveWaitCursor();
    if (!connected) {
        LogTrace(u"CameraView::OnConnectionFailed", "ConnectionFailed On '%S', %d, %d", Wide(camera.name),
                 status, second);
    } else {
        LogWarning(u"CameraView::OnConnectionFailed", "ConnectionFailed On '%S', %d, %d", Wide(camera.name),
                   status, second);
        connected = false;
        streamStarted = false;
        stream->StreamEnded();
        if (ZelPPCApp::RunsUnattended())
            KeepTrying(status);
        else
            TellFailure(status);
    }
    PostMessage(this, WM_USER + Message::CameraStopped);
    SetHelpAnchor(QStringLiteral("view"));
}

// The user is asked for a password, or told of the failure and taken back to the collection.
void CameraView::TellFailure(int status) {
    SetHelpAnchor(QString());
    cycle.StopTimer();
    if (status == 401) {
        LogTrace(kFailed, "Authentication error");
        // Into the item shown: for a camera switch, the member that asked.
        if (stream->AskForCredentials(this, camera, currentItemPath, kFailed)) {
            PostMessage(this, WM_USER + Message::Reconnect);
        } else {
            PostCommand(frame.MainWindow(), Command::ViewCameras);
        }
        SHSipPreference(this, SIP_FORCEDOWN);
    } else {
        const QString text = CameraConnection::FailureText(status, camera, kFailed);
        MessageBox(this, text, LoadResText(Str::AppTitle), MB_OK | MB_ICONEXCLAMATION);
        PostCommand(frame.MainWindow(), Command::ViewCameras);
    }
}

// On a wall display no box waits for a person: the failure stays on the picture (the last one
// stays shown), a camera that failed is tried again, and one that wants a password waits for
// Enter or a click. A camera switch goes on to its next member meanwhile.
void CameraView::KeepTrying(int status) {
    SetTitle(currentName);
    if (status == 401) {
        LogTrace(kFailed, "Authentication error");
        SetWaitingForCredentials(true);
        return;
    }
    stream->SetStatus(CameraConnection::FailureText(status, camera, kFailed));
    timers->SetTimer(kReconnectTimer, stream->FailedWaitMs());
}

void CameraView::SetWaitingForCredentials(bool waiting) {
    waitingForCredentials = waiting;
    stream->SetStatus(waiting ? LoadResText(Str::NeedsPasswordAction) : QString());
    // The picture's clicks come to the view while it waits: they open the prompt.
    HostWindow()->setAttribute(Qt::WA_TransparentForMouseEvents, waiting);
}

void CameraView::AskForCredentials() {
    SetWaitingForCredentials(false);
    // A switch stays on the member asked for while its prompt is open: what is typed and saved
    // goes to that member.
    const bool switching = cycle.IsTimerRunning();
    cycle.StopTimer();
    const bool typed = stream->AskForCredentials(this, camera, currentItemPath, kFailed);
    if (switching)
        cycle.StartTimer();
    if (typed)
        ReconnectCamera();
    else
        SetWaitingForCredentials(true);
}

// The press is taken too: the release comes only to a widget that took the press.
void CameraView::mousePressEvent(QMouseEvent* event) {
    if (waitingForCredentials && event->button() == Qt::LeftButton)
        return;
    View::mousePressEvent(event);
}

void CameraView::mouseReleaseEvent(QMouseEvent* event) {
    if (waitingForCredentials && event->button() == Qt::LeftButton) {
        AskForCredentials();
        return;
    }
    View::mouseReleaseEvent(event);
}

// ---- items and camera switches

void CameraView::OnStartCamera() {
    LogTrace(u"CameraView::OnStartCamera", "begin");
    if (reopen || shouldSwitch) { // the camera opens once the stream shown has ended, as last asked,
        reopen = true;            // not the member a step was going to
        shouldSwitch = false;
        return;
    }
    if (connected) { // opened again while shown (an event's moment): once the stream shown has ended
        reopen = true;
        DisconnectCamera();
        return;
    }
    momentMs = std::exchange(askedMomentMs, 0); // for the stream opened now
    stream->ZoomPicture(0);                     // a camera opens whole, the one shown last too
    viewRotation = QuarterTurns(viewSettings.GetValue("Rotation").GetInt());
    actualSize = viewSettings.GetValue("ActualSize").GetBool();
    const Node item = Settings().GetNode(itemPath);
    if (!item.GetValue("Type").Equals("CameraSwitch")) {
        cycle.Clear();
        camera.Load(item);
        currentItemPath = itemPath;
        AdjustMenu();
        ConnectCamera();
        return;
    }
    if (!cycle.Load(item, viewSettings.GetValue("AutoSwitch").GetBool())) {
        timers->KillTimer(kWatchdogTimer); // no camera to connect again
        if (ZelPPCApp::RunsUnattended()) { // a wall display stays, and says what is missing
            stream->SetStatus(LoadResText(Str::SwitchListEmpty));
            return;
        }
        MessageBox(this, LoadResText(Str::SwitchListEmpty), LoadResText(Str::AppTitle), MB_OK);
        PostCommand(frame.MainWindow(), Command::ViewCameras);
        return;
    }
    ReadCurrentMember();
    cycle.StartTimer();
    AdjustMenu();
    ConnectCamera();
}

void CameraView::ReadCurrentMember() {
    if (!cycle.CurrentMember(currentItemPath))
        return;
    camera.Load(Settings().GetNode(currentItemPath));
}

void CameraView::AdjustMenu() {
    CommandBar& bar = frame.Bar();
    if (bar.CurrentSet() != ResourceSet::CameraView)
        return;
    if (cycle.IsSwitch()) {
        bar.SetChecked(Command::ViewAutoSwitch, cycle.AutoSwitch());
    } else {
        bar.RemoveCommand(Command::ViewNextCamera);
        bar.RemoveCommand(Command::ViewPreviousCamera);
        bar.RemoveCommand(Command::ViewAutoSwitch);
        if (!HasPtz()) {
            bar.RemoveCommand(Command::ZoomIn);
            bar.RemoveCommand(Command::ZoomOut);
        }
    }
    bar.SetChecked(Command::ViewActualSize, actualSize);
    bar.SetChecked(Command::ViewFitToWindow, !actualSize);
    bar.SetChecked(Command::Pause, replay->Paused());
    PlaceRecordMark();
}

void CameraView::OnStepCamera(bool forward) {
    if (!cycle.IsSwitch())
        return;
    LogTrace(u"",
             forward ? "CameraView::OnViewNextCamera - camera" : "CameraView::OnViewPreviousCamera - camera");
    const bool running = connected;
    connected = false;
    shouldSwitch = true;
    timers->KillTimer(kReconnectTimer); // of the member left
    cycle.Step(forward);
    HostWindow()->hide();
    DisconnectCamera();
    // A member whose stream failed, or that waits for a password or to be tried again, has no
    // stream to stop, and no control tells that it stopped.
    if (!running)
        PostMessage(this, WM_USER + Message::CameraStopped);
}

void CameraView::OnCameraStoped() {
    LogTrace(u"CameraView::OnCameraStoped", "begin");
    if (reopen) {
        reopen = false;
        OnStartCamera();
    } else if (shouldSwitch) {
        shouldSwitch = false;
        connected = true;
        ReadCurrentMember();
        ConnectCamera();
        cycle.RestartDisplayTime();
    }
    LogTrace(u"CameraView::OnCameraStoped", "end");
}

void CameraView::OnToggleAutoSwitch() {
    const bool autoSwitch = cycle.ToggleAutoSwitch();
    frame.Bar().SetChecked(Command::ViewAutoSwitch, autoSwitch);
    viewSettings.SetValue("AutoSwitch", Data(autoSwitch));
}

// ---- display and PTZ commands

void CameraView::OnRotate() {
    viewRotation = QuarterTurns(QuarterTurns(viewSettings.GetValue("Rotation").GetInt()) + 90);
    viewSettings.SetValue("Rotation", Data(viewRotation));
    Control()->put_Rotate(static_cast<int16_t>(EffectiveRotation()));
    Relayout(imageWidth, imageHeight);
}

void CameraView::OnShowActualSize(bool actual) {
    actualSize = actual;
    viewSettings.SetValue("ActualSize", Data(actualSize));
    Control()->put_Stretch(actualSize ? 0 : 1);
    Relayout(imageWidth, imageHeight);
    frame.Bar().SetChecked(Command::ViewActualSize, actualSize);
    frame.Bar().SetChecked(Command::ViewFitToWindow, !actualSize);
}

void CameraView::OnZoom(bool in) {
    if (!HasPtz())
        return;
    SendCommand(QStringLiteral("/vexo-cgi/com/ptz.cgi?%1rzoom=%2%3")
                    .arg(SourcePrefix(), in ? QString() : QStringLiteral("-"), QString::number(kZoomStep)));
}

bool CameraView::OnCommand(int id) {
    if (!controlCreated && id != Command::Action)
        return false;
    switch (id) {
    case Command::Action:
        if (waitingForCredentials) {
            AskForCredentials();
            return true;
        }
        PostCommand(frame.MainWindow(), Command::ViewCameras);
        return true;
    case Command::Back:
        PostCommand(frame.MainWindow(), Command::ViewCameras);
        return true;
    case Command::SavePicture:
        SavePicture();
        return true;
    case Command::Record:
        OnRecord();
        return true;
    case Command::Pause:
        replay->TogglePause();
        frame.Bar().SetChecked(Command::Pause, replay->Paused()); // unticked when nothing was paused
        return true;
    case Command::PicturePrevious:
    case Command::PictureNext:
        replay->StepPictures(id == Command::PictureNext ? 1 : -1);
        return true;
    case Command::FiveSecondsBack:
    case Command::FiveSecondsForward:
        replay->StepMs(id == Command::FiveSecondsForward ? InstantReplay::kStepMs : -InstantReplay::kStepMs);
        return true;
    case Command::Live:
        replay->Live();
        return true;
    case Command::SaveClip:
        SaveClip();
        return true;
    case Command::ViewNextCamera:
        OnStepCamera(true);
        return true;
    case Command::ViewPreviousCamera:
        OnStepCamera(false);
        return true;
    case Command::ViewAutoSwitch:
        OnToggleAutoSwitch();
        return true;
    case Command::ZoomIn:
        OnZoom(true);
        return true;
    case Command::ZoomOut:
        OnZoom(false);
        return true;
    case Command::PictureZoomIn:
    case Command::PictureZoomOut:
    case Command::WholePicture:
        stream->ZoomPicture(CameraConnection::ZoomStepsOf(id));
        return true;
    case Command::ViewRotate:
        OnRotate();
        return true;
    case Command::ViewActualSize:
        OnShowActualSize(true);
        return true;
    case Command::ViewFitToWindow:
        OnShowActualSize(false);
        return true;
    default:
        return false;
    }
}

void CameraView::keyPressEvent(QKeyEvent* event) {
    LogTrace(u"", "CameraView::OnKeyDown char %0x, rep %d, flags %0x", static_cast<unsigned>(event->key()),
             event->isAutoRepeat() ? 2 : 1, static_cast<unsigned>(event->nativeScanCode()));
    // The replay's keys, which the camera view gives no other meaning.
    static const std::pair<int, int> kReplayKeys[] = {{Qt::Key_Space, Command::Pause},
                                                      {Qt::Key_Comma, Command::PicturePrevious},
                                                      {Qt::Key_Period, Command::PictureNext},
                                                      {Qt::Key_PageUp, Command::FiveSecondsBack},
                                                      {Qt::Key_PageDown, Command::FiveSecondsForward},
                                                      {Qt::Key_End, Command::Live}};
    for (const auto& [key, command] : kReplayKeys) {
        if (event->key() == key && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            OnCommand(command);
            return;
        }
    }
    int base;
    switch (event->key()) {
    case Qt::Key_Right:
        base = 0;
        break;
    case Qt::Key_Down:
        base = 1;
        break;
    case Qt::Key_Left:
        base = 2;
        break;
    case Qt::Key_Up:
        base = 3;
        break;
    default:
        View::keyPressEvent(event);
        return;
    }
    static const int kCommands[4] = {Command::ViewNextCamera, Command::ZoomOut, Command::ViewPreviousCamera,
                                     Command::ZoomIn};
    const int index = (base - viewRotation / 90 + 4) % 4;
    PostCommand(frame.MainWindow(), kCommands[index]);
}

// ---- the picture kept

QString CameraView::SavePicture() {
    // The picture shown is this camera's once its stream has started: until then none shows.
    const QByteArray jpeg = HostWindow()->isHidden() ? QByteArray() : stream->Picture();
    if (jpeg.isEmpty()) {
        Warn(LoadResText(Str::NoPictureToSave));
        return QString();
    }
    QString path;
    QString error;
    if (!SavePictureFile(jpeg, currentName, QDateTime::currentDateTime(), path, error)) {
        LogError(u"CameraView::SavePicture", "Could not save '%S': %S", Wide(path), Wide(error));
        Warn(FormatText(LoadResText(Str::PictureNotSaved), {path, error}));
        return QString();
    }
    LogTrace(u"CameraView::SavePicture", "Saved '%S'", Wide(path));
    ShowNotice(FormatText(LoadResText(Str::PictureSaved), {path}));
    return path;
}

// ---- the PTZ command connection

bool CameraView::OpenCommandConnection() {
    CloseCommandConnection();
    switch (commands.Open(kAgent, camera.address, static_cast<uint16_t>(camera.port), camera.userName,
                          camera.password)) {
    case CommandSender::OpenResult::Opened:
        return true;
    case CommandSender::OpenResult::NoInternet:
        LogError(u"CameraView::OpenCommandConnection", "InternetOpen failed");
        return false;
    case CommandSender::OpenResult::NoConnection:
        LogError(u"CameraView::OpenCommandConnection", "InternetConnect failed");
        return false;
    }
    return false;
}

bool CameraView::SendCommand(const QString& path) {
    switch (commands.Send(path)) {
    case CommandSender::SendResult::Sent:
        return true;
    case CommandSender::SendResult::RequestFailed:
        LogError(u"CameraView::SendCommand", "HttpOpenRequest failed");
        break;
    case CommandSender::SendResult::ThreadFailed:
        LogError(u"CameraView::SendCommand", "Failed to start the command thread");
        break;
    case CommandSender::SendResult::NotOpen:
    case CommandSender::SendResult::Busy:
        break; // one command at a time
    }
    return false;
}

void CameraView::CloseCommandConnection() {
    if (!commands.Wait(kCommandWaitMs)) {
        LogWarning(u"CameraView::CloseCommandConnection", "Wait timeout");
        commands.Cancel();
    }
    commands.Close();
}
