#include "app/shell/instantreplay.h"

#include "app/resources/resource.h"

#include "control/interface/camimageinterface.h"
#include "foundation/text.h"
#include "platform/com/bstring.h"
#include "platform/ui/windowtimers.h"

#include <QWidget>

#include <QDateTime>

namespace {

constexpr int kTimeTimer = 1;
constexpr uint32_t kTimeMs = 1000;

} // namespace

InstantReplay::InstantReplay(QWidget* owner, std::function<void(const QString&)> say)
    : status(std::move(say)), timers(new WindowTimers([this](int) { ShowTime(); }, owner)) {}

void InstantReplay::Reset(ICamImage* shown) {
    if (shown && paused)
        shown->put_Paused(0); // the picture frozen before is let go
    control = shown;
    if (paused) {
        paused = false;
        timers->KillTimer(kTimeTimer);
        status(QString());
    }
}

void InstantReplay::TogglePause() {
    if (paused) {
        Live();
        return;
    }
    if (!control)
        return;
    control->put_Paused(1);
    int32_t held = 0;
    control->get_Paused(&held);
    if (!held)
        return; // no picture of the camera yet
    paused = true;
    timers->SetTimer(kTimeTimer, kTimeMs);
    ShowTime();
}

void InstantReplay::StepPictures(int pictures) {
    if (!paused)
        TogglePause();
    if (control)
        control->put_ReplayStep(pictures);
    ShowTime();
}

void InstantReplay::StepMs(int32_t milliseconds) {
    if (!paused)
        TogglePause();
    if (control)
        control->put_ReplayStepMs(milliseconds);
    ShowTime();
}

void InstantReplay::Live() {
    if (!paused || !control)
        return;
    control->put_Paused(0);
    paused = false;
    timers->KillTimer(kTimeTimer);
    status(QString());
}

void InstantReplay::ShowTime() {
    if (!paused || !control)
        return;
    BString shown;
    control->get_ShownTime(shown.Receive());
    const QDateTime when = QDateTime::fromString(shown.ToQString(), Qt::ISODateWithMs);
    if (!when.isValid())
        return;
    const qint64 ago = std::max<qint64>(0, when.secsTo(QDateTime::currentDateTime()));
    status(FormatText(LoadResText(Str::PausedAt),
                      {when.toString(QStringLiteral("hh:mm:ss")), IntToText(static_cast<int>(ago))}));
}
