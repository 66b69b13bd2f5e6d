#include "app/shell/motionalerts.h"

#include "app/resources/resource.h"
#include "app/shell/commandbar.h"
#include "app/shell/eventswindow.h"

#include "control/interface/camimageinterface.h"
#include "foundation/log.h"
#include "foundation/text.h"
#include "platform/com/bstring.h"
#include "settings/settingsstore.h"

#include <QApplication>

namespace {

constexpr char kBell[] = "/Motion/Bell";
constexpr char kBigPlace[] = "/Motion/BringToBigPlace";

// The picture the motion started at: the camera's, not the one shown while paused.
QImage MotionPicture(ICamImage* control) {
    BString jpeg;
    if (!control || control->get_MotionPicture(jpeg.Receive()) != S_OK || !jpeg.Get())
        return QImage();
    return QImage::fromData(jpeg.ToByteArray(), "JPEG");
}

} // namespace

MotionAlerts::MotionAlerts(const QString& folder, std::function<void(const QString&, int64_t)> openAt)
    : events(folder), open(std::move(openAt)) {}

MotionAlerts::~MotionAlerts() {
    delete window.data();
}

void MotionAlerts::Seen(const QString& itemPath, const QString& name, bool started, ICamImage* control) {
    if (!started) {
        events.Ended(itemPath);
        return;
    }
    if (!events.Started(itemPath, name, MotionPicture(control)))
        return; // another view of the camera saw it first
    LogInfo(u"MotionAlerts", "Motion in '%S'", Wide(name));
    if (RingsBell())
        QApplication::beep();
}

bool MotionAlerts::BringsToBigPlace() {
    return Settings().GetValue(kBigPlace).GetBool();
}

bool MotionAlerts::RingsBell() {
    return Settings().GetValue(kBell).GetBool();
}

bool MotionAlerts::OnCommand(int command, QWidget* parent, CommandBar& bar) {
    switch (command) {
    case Command::MotionEvents:
        if (!window)
            window = new EventsWindow(parent, events, open);
        window->show();
        window->raise();
        window->activateWindow();
        return true;
    case Command::MotionToBigPlace:
        Settings().SetValue(kBigPlace, Data(!BringsToBigPlace()));
        CheckItems(bar);
        return true;
    case Command::MotionBell:
        Settings().SetValue(kBell, Data(!RingsBell()));
        CheckItems(bar);
        return true;
    default:
        return false;
    }
}

void MotionAlerts::CheckItems(CommandBar& bar) {
    bar.SetChecked(Command::MotionToBigPlace, BringsToBigPlace());
    bar.SetChecked(Command::MotionBell, RingsBell());
}
