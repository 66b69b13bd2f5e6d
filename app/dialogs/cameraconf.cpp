#include "app/dialogs/cameraconf.h"

#include "app/dialogs/cameraconffolder.h"
#include "app/dialogs/cameraconfgeneral.h"
#include "app/dialogs/cameraconfimage.h"
#include "app/dialogs/cameraconfmotion.h"
#include "app/dialogs/cameraconfsecurity.h"
#include "app/resources/resource.h"

#include "foundation/text.h"

CameraConf::CameraConf(QWidget* parent, const Path& folder, const QString& itemName)
    : CameraItemSheet(LoadResText(Str::CameraProperties), parent, ItemType::Camera, folder, itemName),
      general(new CameraConfGeneral(edit.record, edit.currentPath)), image(new CameraConfImage(edit.record)) {
    AddPage(general);
    AddPage(image);
    AddPage(new CameraConfSecurity(edit.record));
    AddPage(new CameraConfFolder(edit.record, edit.currentPath));
    AddPage(new CameraConfMotion(edit.record));
}
