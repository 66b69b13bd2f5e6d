#include "app/shell/cameraconnection.h"

#include "app/dialogs/authorizationdlg.h"
#include "app/resources/resource.h"
#include "app/shell/cameraeventsink.h"
#include "app/shell/statusoverlay.h"
#include "app/shell/zelppcapp.h"

#include "collection/camera.h"
#include "collection/motionoptions.h"
#include "control/interface/camimageinterface.h"
#include "control/interface/camimagetext.h"
#include "foundation/log.h"
#include "foundation/passwordmask.h"
#include "foundation/text.h"
#include "platform/com/bstring.h"
#include "platform/com/runtime.h"
#include "platform/kernel/tick.h"
#include "platform/ui/controlhost.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/windowtimers.h"
#include "settings/settingsstore.h"

#include <QCoreApplication>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kWatchTimer = 1;
constexpr uint32_t kWatchPeriodMs = 1000;

} // namespace

CameraConnection::CameraConnection(QWidget* ownerWindow, const char16_t* logFunction)
    : owner(ownerWindow), hostWindow(new ControlHost(ownerWindow)),
      timers(new WindowTimers([this](int) { CheckPictures(); }, ownerWindow)) {
    hostWindow->setObjectName(QStringLiteral("CameraView"));
    hostWindow->setWindowTitle(QStringLiteral("CameraView"));
    // Shown once a stream has started: until then it has nothing to show, and a visible one
    // would say that a stream is running.
    hostWindow->hide();
    overlay = new StatusOverlay(ownerWindow, hostWindow);
    const HRESULT result =
        CoCreateInstance(CLSID_CamImage, nullptr, CLSCTX_ALL, IID_ICamImage, control.ReceiveVoid());
    if (FAILED(result)) {
        const QString text =
            QString::asprintf("myCameraImage.CoCreateInstance(CLSID_CamImage) returned error code 0x%X",
                              static_cast<uint32_t>(result));
        LogError(logFunction, "%S", Wide(text));
        if (!ZelPPCApp::RunsUnattended()) // a wall display closes without waiting for a click
            MessageBox(ownerWindow, text, LoadResText(Str::AppTitle), MB_OK);
        return;
    }
    if (FAILED(hostWindow->AttachControl(control.Get()))) {
        LogError(logFunction, "Could not attach Camera Control to window");
        return;
    }
    eventSink = std::make_unique<CameraEventSink>(ownerWindow);
    if (!eventSink->Connect(control.Get())) {
        LogError(logFunction, "Could not connect to the Camera Control's events");
        return;
    }
    LogState(logFunction, "Camera Control instance created");
    created = true;
}

CameraConnection::~CameraConnection() {
    timers->KillTimer(kWatchTimer);
    if (control)
        control->StopDownload(); // no event of the control comes after this
    eventSink.reset();
    delete timers;
    delete overlay;
    hostWindow->DetachControl();
    delete hostWindow;
}

// ---- the stream

void CameraConnection::Prepare(const Camera& camera, int rotation, bool stretch, const QString& ptzUrl) {
    cameraName = camera.name;
    control->put_SharedConnection(1); // a tile and the camera view of one camera read it once
    control->put_DigitalZoom(1);
    control->put_Rotate(static_cast<int16_t>(rotation));
    control->put_Stretch(stretch ? 1 : 0);
    PutText(control.Get(), &ICamImage::put_Username, camera.userName);
    PutText(control.Get(), &ICamImage::put_Password, camera.password);
    PutText(control.Get(), &ICamImage::put_PTZ_URL, ptzUrl);
}

void CameraConnection::Open(const QString& url) {
    StreamEnded();
    backoff.Reset();
    typedUserName.reset();
    control->get_PicturesShown(&shownAtOpen);
    StartWatch(Watch::Connecting);
    PutText(control.Get(), &ICamImage::put_URL, url.isEmpty() ? QString() : url);
}

void CameraConnection::Reconnect() {
    control->get_PicturesShown(&shownAtOpen);
    StartWatch(lostTick ? Watch::Lost : Watch::Connecting);
    control->StartDownload();
}

uint32_t CameraConnection::ConnectionLost() {
    if (!lostTick)
        lostTick = std::max<uint32_t>(1, GetTickCount());
    StartWatch(Watch::Lost);
    int32_t shown = shownAtOpen;
    control->get_PicturesShown(&shown);
    return backoff.AfterConnection(static_cast<int64_t>(shown) - shownAtOpen);
}

uint32_t CameraConnection::FailedWaitMs() {
    int32_t shown = shownAtOpen;
    control->get_PicturesShown(&shown);
    return std::max(kRetryFailedMs, backoff.AfterConnection(static_cast<int64_t>(shown) - shownAtOpen));
}

void CameraConnection::ZoomPicture(int steps) {
    int32_t percent = 100;
    if (steps != 0 && control->get_Zoom(&percent) != S_OK)
        return;
    // One step is one notch of the mouse wheel, the square root of 2, from the nearest step of
    // the zoom shown: 100, 141, 200, 283 ... 800 %.
    const double step = std::sqrt(2.0);
    const double shown = std::round(std::log(std::max(percent, 100) / 100.0) / std::log(step));
    control->put_Zoom(steps == 0 ? 100
                                 : static_cast<int32_t>(std::lround(100.0 * std::pow(step, shown + steps))));
}

void CameraConnection::KeepReplay() {
    const auto setting = [](const char* path, int otherwise) {
        return Settings().Exists(path) ? Settings().GetValue(path).GetInt() : otherwise;
    };
    control->put_ReplaySeconds(setting("/Recording/ReplaySeconds", 30));
    control->put_ReplayMiB(setting("/Recording/ReplayMiB", 64));
}

void CameraConnection::DetectMotion(const QString& itemPath) {
    MotionOptions motion;
    motion.Load(Settings().GetNode(itemPath));
    if (motion.detect) {
        control->put_MotionSensitivity(motion.sensitivity);
        control->put_MotionArea(motion.smallestArea);
        PutText(control.Get(), &ICamImage::put_MotionIgnored, motion.IgnoredText());
        KeepReplay(); // so that the camera can be seen again at an event's moment
    }
    control->put_MotionDetection(motion.detect ? 1 : 0);
}

bool CameraConnection::InMotion() const {
    int32_t moving = 0;
    return control && control->get_Motion(&moving) == S_OK && moving != 0;
}

int CameraConnection::ZoomStepsOf(int command) {
    return command == Command::WholePicture ? 0 : command == Command::PictureZoomIn ? 1 : -1;
}

void CameraConnection::WheelOverPicture(const QWheelEvent& event, QWidget* from) {
    QWidget* window = hostWindow ? hostWindow->ControlWindow() : nullptr;
    if (!window)
        return;
    const QPointF at = window->mapFrom(from, event.position());
    QWheelEvent over(at, event.globalPosition(), event.pixelDelta(), event.angleDelta(), event.buttons(),
                     event.modifiers(), event.phase(), event.inverted());
    QCoreApplication::sendEvent(window, &over);
}

void CameraConnection::Disconnect() {
    StreamEnded();
    control->StopDownload();
}

void CameraConnection::SetCredentials(const QString& user, const QString& password) {
    PutText(control.Get(), &ICamImage::put_Username, user);
    PutText(control.Get(), &ICamImage::put_Password, password);
}

// ---- the words over the picture

void CameraConnection::StartWatch(Watch what) {
    watch = what;
    timers->SetTimer(kWatchTimer, kWatchPeriodMs);
    CheckPictures();
}

void CameraConnection::StreamStarted() {
    lostTick = 0;
    typedUserName.reset();
    control->get_PicturesShown(&lastShown);
    lastPictureTick = GetTickCount();
    StartWatch(Watch::Streaming);
}

void CameraConnection::StreamEnded() {
    lostTick = 0;
    if (watch == Watch::None && watchStatus.isEmpty())
        return;
    watch = Watch::None;
    timers->KillTimer(kWatchTimer);
    watchStatus.clear();
    ShowStatus();
}

void CameraConnection::SetStatus(const QString& text) {
    status = text;
    ShowStatus();
}

QString CameraConnection::ShownStatus() const {
    return overlay->Text();
}

void CameraConnection::SetNotice(const QString& text) {
    notice = text;
    ShowStatus();
}

void CameraConnection::ShowStatus() {
    overlay->SetText(!notice.isEmpty() ? notice : !watchStatus.isEmpty() ? watchStatus : status);
}

QString CameraConnection::WatchWords() {
    const uint32_t now = GetTickCount();
    if (watch == Watch::Lost) {
        return FormatText(LoadResText(Str::ConnectionLostRetrying),
                          {IntToText(static_cast<int>((now - lostTick) / 1000))});
    }
    if (watch == Watch::Connecting) {
        int32_t failedAttempts = 0;
        control->get_FailedConnectAttempts(&failedAttempts);
        return failedAttempts > 0 ? LoadResText(Str::CannotConnectRetrying) : QString();
    }
    int32_t paused = 0;
    if (control->get_Paused(&paused) == S_OK && paused) {
        lastPictureTick = now; // a paused picture is not a stalled stream; the replay's words show
        return QString();
    }
    int32_t shown = lastShown;
    int32_t undecoded = 0;
    int32_t samePicture = 0;
    control->get_PicturesShown(&shown);
    control->get_UndecodedPictures(&undecoded);
    control->get_SamePictureSeconds(&samePicture);
    if (shown != lastShown) {
        lastShown = shown;
        lastPictureTick = now;
    }
    if (undecoded >= kUndecodedInARow)
        return LoadResText(Str::PicturesNotDecoded);
    if (now - lastPictureTick >= kStallMs) {
        return FormatText(LoadResText(Str::NoPictureFor),
                          {IntToText(static_cast<int>((now - lastPictureTick) / 1000))});
    }
    if (samePicture >= kFrozenSeconds)
        return FormatText(LoadResText(Str::SamePictureFor), {IntToText(samePicture)});
    return QString();
}

void CameraConnection::CheckPictures() {
    if (watch == Watch::None)
        return;
    const QString words = WatchWords();
    if (watchStatus.isEmpty() && !words.isEmpty()) {
        LogWarning(u"CameraConnection::CheckPictures", "'%S': %S", Wide(cameraName), Wide(words));
    }
    watchStatus = words;
    ShowStatus();
}

QByteArray CameraConnection::Picture() const {
    BString jpeg;
    if (!control || FAILED(control->get_Picture(jpeg.Receive())))
        return QByteArray();
    return jpeg.ToByteArray();
}

// ---- failures

bool CameraConnection::AskForCredentials(QWidget* parent, Camera& camera, const QString& itemPath,
                                         const char16_t* logFunction) {
    AuthorizationDlg dialog(parent);
    dialog.cameraName = camera.name;
    // Asked again before a stream started: what was typed last time was refused. The user
    // name typed stays; the password is typed again.
    dialog.refused = typedUserName.has_value();
    dialog.userName = typedUserName.value_or(camera.userName);
    dialog.password = dialog.refused ? QString() : camera.password;
    if (dialog.DoModal() != IDOK) {
        typedUserName.reset();
        return false;
    }
    if (!dialog.userName.isEmpty()) {
        LogTrace(logFunction, "Using Password");
        SetCredentials(dialog.userName, dialog.password);
        typedUserName = dialog.userName;
    }
    if (dialog.save) {
        LogTrace(logFunction, "Saving Password");
        camera.userName = dialog.userName;
        camera.password = dialog.password;
        const Node item = Settings().GetNode(itemPath);
        item.SetValue("UserName", Data(camera.userName));
        item.SetValue("Password", Data(camera.password));
        if (ZelPPCApp* app = ZelPPCApp::Instance())
            app->SaveSettings();
    }
    return true;
}

int CameraConnection::EffectiveRotation(const Camera& camera, int viewRotation) {
    if (!camera.rotation.isEmpty())
        return (camera.rotation.toInt() + viewRotation) % 360;
    return viewRotation;
}

QString CameraConnection::FailureText(int status, const Camera& camera, const char16_t* logFunction) {
    const bool site = camera.type == QLatin1String("LiveSite");
    switch (status) {
    case 404:
        LogTrace(logFunction, "Page not found");
        return site ? FormatText(LoadResText(Str::StreamNotFoundUrl),
                                 {camera.name, WithUrlPasswordsMasked(camera.GetURL())})
                    : FormatText(LoadResText(Str::StreamNotFoundAddress), {camera.name, camera.address});
    case 4:
        LogTrace(logFunction, "Network error");
        return LoadResText(Str::NoNetwork);
    case 5:
        LogTrace(logFunction, "Image parse error");
        return LoadResText(Str::StreamNotDisplayed);
    default:
        LogTrace(logFunction, "Unkown error");
        return site ? FormatText(LoadResText(Str::CannotConnectUrl),
                                 {camera.name, WithUrlPasswordsMasked(camera.GetURL())})
                    : FormatText(LoadResText(Str::CannotConnectAddress), {camera.name, camera.address});
    }
}
