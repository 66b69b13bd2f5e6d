#include "app/livesiteconf.h"

#include "app/cameraconffolder.h"
#include "app/cameraconfgenerallivesite.h"
#include "app/cameraconfsecurity.h"
#include "app/resource.h"

#include "foundation/text.h"

LiveSiteConf::LiveSiteConf(QWidget* parent, const Path& folder, const QString& itemName)
    : CameraItemSheet(LoadResText(Str::LiveSiteProperties), parent, ItemType::LiveSite, folder, itemName) {
    AddPage(new CameraConfGeneralLiveSite(edit.record, edit.currentPath));
    AddPage(new CameraConfSecurity(edit.record));
    AddPage(new CameraConfFolder(edit.record, edit.currentPath));
}
