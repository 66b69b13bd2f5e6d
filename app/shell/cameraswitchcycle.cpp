#include "app/shell/cameraswitchcycle.h"

#include "app/resources/resource.h"

#include "foundation/log.h"
#include "platform/kernel/tick.h"
#include "platform/ui/messages.h"
#include "platform/ui/windowtimers.h"
#include "settings/settingsstore.h"

#include <QStringList>

namespace {

constexpr int kSwitchTimer = 1;
constexpr uint32_t kSwitchTickMs = 100;

} // namespace

CameraSwitchCycle::CameraSwitchCycle(QObject* owner)
    : view(owner), timers(new WindowTimers([this](int) { OnTimer(); }, owner)) {}

void CameraSwitchCycle::Clear() {
    isSwitch = false;
    autoSwitch = false;
}

bool CameraSwitchCycle::Load(const Node& cameraSwitch, bool automatic) {
    isSwitch = true;
    autoSwitch = automatic;
    members = cameraSwitch.GetNode("Cameras");
    RemoveGoneMembers();
    current = members.GetFirstChild(members.GetPath());
    displayTime = cameraSwitch.GetValue("DisplayTime").GetInt();
    return !current.IsFinished();
}

bool CameraSwitchCycle::CurrentMember(QString& path) const {
    QString name;
    Data value;
    if (!current.Current(name, value))
        return false;
    path = value.GetText();
    return true;
}

void CameraSwitchCycle::Step(bool forward) {
    QString name;
    Data value;
    if (forward) {
        members.GetNextChild(current, name, value);
        if (current.IsFinished())
            current = members.GetFirstChild(members.GetPath());
    } else {
        members.GetPrevChild(current, name, value);
        if (current.IsFinished())
            current = members.GetLastChild(members.GetPath());
    }
}

void CameraSwitchCycle::RemoveGoneMembers() {
    LogTrace(u"CameraView::CheckCamerasList", "begin");
    // Collected first: the list is not changed while it is walked.
    QStringList gone;
    ChildIterator it = members.GetFirstChild(members.GetPath());
    QString name;
    Data value;
    while (members.GetNextChild(it, name, value)) {
        if (!Settings().Exists(value.GetText())) {
            LogTrace(u"CameraView::CheckCamerasList", "Removing '%S' = '%S' from Camera Switch list",
                     Wide(name), Wide(value.GetText()));
            gone.append(name);
        }
    }
    for (const QString& member : gone)
        members.Delete(Path::Join(members.GetPath(), Path(member)));
}

bool CameraSwitchCycle::ToggleAutoSwitch() {
    autoSwitch = !autoSwitch;
    if (autoSwitch) {
        StartTimer();
    } else {
        StopTimer();
    }
    return autoSwitch;
}

void CameraSwitchCycle::StartTimer() {
    if (!autoSwitch || displayTime <= 0)
        return;
    timers->SetTimer(kSwitchTimer, kSwitchTickMs);
    timerRunning = true;
    lastSwitchTick = GetTickCount();
}

void CameraSwitchCycle::StopTimer() {
    if (!timerRunning)
        return;
    timers->KillTimer(kSwitchTimer);
    timerRunning = false;
}

void CameraSwitchCycle::RestartDisplayTime() {
    lastSwitchTick = GetTickCount();
}

void CameraSwitchCycle::OnTimer() {
    const uint32_t now = GetTickCount();
    if (held)
        lastSwitchTick = now;
    if (now - lastSwitchTick < static_cast<uint32_t>(displayTime) * 1000u)
        return;
    PostCommand(view, Command::ViewNextCamera);
    lastSwitchTick = now;
}
