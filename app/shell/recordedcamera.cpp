#include "app/shell/recordedcamera.h"

#include "app/resources/resource.h"
#include "app/shell/cameraconnection.h"
#include "app/shell/motionalerts.h"

#include "control/interface/camimageinterface.h"
#include "foundation/log.h"
#include "foundation/text.h"
#include "platform/com/bstring.h"
#include "platform/ui/messages.h"
#include "platform/ui/windowtimers.h"
#include "settings/settingsstore.h"

#include <utility>

namespace {

constexpr int kRetryTimer = 1;
constexpr int kCheckTimer = 2;
constexpr int kResumeTimer = 3;
constexpr char16_t kLog[] = u"RecordedCamera";

} // namespace

RecordedCamera::RecordedCamera(const QString& path, const QString& recordings, int keepGiB, int keepDays,
                               bool aroundMotion, MotionAlerts* motionAlerts,
                               std::function<void(RecordedCamera&, const QString&)> onStopped)
    : itemPath(path), folder(recordings), onMotion(aroundMotion), alerts(motionAlerts),
      stopped(std::move(onStopped)) {
    timers = new WindowTimers(
        [this](int id) { id == kRetryTimer    ? Connect()
                         : id == kResumeTimer ? Resume()
                                              : Check(); }, this);
    camera.Load(Settings().GetNode(itemPath));
    stream = std::make_unique<CameraConnection>(this, u"RecordedCamera::OnCreate");
    if (!stream->Created()) {
        failure = LoadResText(Str::ControlMissing);
        return;
    }
    ICamImage* control = stream->Control();
    control->put_RecordKeepGiB(keepGiB);
    control->put_RecordKeepDays(keepDays);
    if (onMotion) {
        control->put_RecordBeforeMotion(camera.motion.recordBefore);
        control->put_RecordOnMotion(camera.motion.recordAfter);
    }
    control->put_RecordFolder(BString(folder).Get());
    LogInfo(kLog, "Recording '%S' into '%S'%s", Wide(camera.name), Wide(folder),
            onMotion ? " on motion" : "");
    Connect();
    timers->SetTimer(kCheckTimer, kCheckMs);
}

RecordedCamera::~RecordedCamera() {
    ShowMotion(false);
    timers->KillTimer(kRetryTimer);
    timers->KillTimer(kCheckTimer);
    timers->KillTimer(kResumeTimer);
    connected = false;
    stream.reset(); // the stream stops, and the file is closed
}

bool RecordedCamera::Writing() const {
    int32_t writing = 0;
    return stream->Created() && stream->Control()->get_Recording(&writing) == S_OK && writing != 0;
}

bool RecordedCamera::Current() const {
    Camera now;
    now.Load(Settings().GetNode(itemPath));
    return now.name == camera.name && now.GetURL() == camera.GetURL() && now.userName == camera.userName &&
           now.password == camera.password && now.motion == camera.motion;
}

void RecordedCamera::Connect() {
    timers->KillTimer(kRetryTimer);
    // Nothing drawn: the control is never shown, and decodes nothing.
    stream->Prepare(camera, 0, false, QString());
    stream->Control()->put_FPS(0.0f);
    stream->KeepReplay(); // a recorded camera's last seconds, for the camera view
    stream->DetectMotion(itemPath);
    connected = true;
    stream->Open(camera.GetURL());
}

void RecordedCamera::ShowMotion(bool on) {
    if (on == moving)
        return;
    moving = on;
    if (alerts)
        alerts->Seen(itemPath, camera.name, on, on ? stream->Control() : nullptr);
}

void RecordedCamera::TryAgain(uint32_t waitMs) {
    ShowMotion(false);
    connected = false;
    stream->Disconnect();
    timers->SetTimer(kRetryTimer, std::max<uint32_t>(waitMs, 1));
}

void RecordedCamera::Check() {
    if (!failure.isEmpty())
        return;
    if (told && Writing())
        told = false; // it writes again: a next stop is told again
    BString error;
    stream->Control()->get_RecordingError(error.Receive());
    if (error.ToQString().isEmpty())
        return;
    failure = error.ToQString();
    ShowMotion(false); // nothing more is heard of it
    timers->KillTimer(kCheckTimer);
    timers->SetTimer(kResumeTimer, kResumeMs);
    // Told once, not at each try that fails again: also not by a try made while the box that
    // tells it is still open.
    const bool tellIt = !std::exchange(told, true);
    stopped(*this, tellIt ? failure : QString());
}

void RecordedCamera::Resume() {
    timers->KillTimer(kResumeTimer);
    LogInfo(kLog, "Recording '%S' is tried again", Wide(camera.name));
    failure.clear();
    TryAgain(1); // a stream of its own again, and with it a new file
    timers->SetTimer(kCheckTimer, kCheckMs);
    stopped(*this, QString());
}

bool RecordedCamera::event(QEvent* event) {
    if (event->type() != WindowMessageEvent::kType)
        return QWidget::event(event);
    const auto* message = static_cast<const WindowMessageEvent*>(event);
    const int status = static_cast<int>(message->wParam);
    if (!connected || !failure.isEmpty())
        return true;
    switch (static_cast<int>(message->message) - WM_USER) {
    case Message::StreamStarted:
        stream->StreamStarted();
        break;
    case Message::Motion:
        ShowMotion(message->wParam != 0 && stream->InMotion());
        break;
    case Message::ConnectionBroken:
        LogWarning(kLog, "The stream of '%S' broke (%d); trying again", Wide(camera.name), status);
        TryAgain(stream->ConnectionLost());
        break;
    case Message::ConnectionFailed:
        if (status == 401) {
            // Without a saved user name and password the camera cannot be recorded.
            failure = LoadResText(Str::NeedsPassword);
            ShowMotion(false);
            connected = false;
            stream->Disconnect();
            stopped(*this, failure);
            break;
        }
        LogWarning(kLog, "'%S' cannot be reached (%d); trying again", Wide(camera.name), status);
        TryAgain(stream->FailedWaitMs());
        break;
    default:
        break;
    }
    return true;
}
