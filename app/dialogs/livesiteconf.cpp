#include "app/dialogs/livesiteconf.h"

#include "app/dialogs/cameraconffolder.h"
#include "app/dialogs/cameraconfgenerallivesite.h"
#include "app/dialogs/cameraconfmotion.h"
#include "app/dialogs/cameraconfsecurity.h"
#include "app/resources/resource.h"

#include "foundation/text.h"

LiveSiteConf::LiveSiteConf(QWidget* parent, const Path& folder, const QString& itemName)
    : CameraItemSheet(LoadResText(Str::LiveSiteProperties), parent, ItemType::LiveSite, folder, itemName) {
    AddPage(new CameraConfGeneralLiveSite(edit.record, edit.currentPath));
    AddPage(new CameraConfSecurity(edit.record));
    AddPage(new CameraConfFolder(edit.record, edit.currentPath));
    AddPage(new CameraConfMotion(edit.record));
}
