#include "app/cameraconf.h"

#include "app/cameraconffolder.h"
#include "app/cameraconfgeneral.h"
#include "app/cameraconfimage.h"
#include "app/cameraconfsecurity.h"
#include "app/resource.h"

#include "foundation/text.h"

CameraConf::CameraConf(QWidget* parent, const Path& folder, const QString& itemName)
    : CameraItemSheet(LoadResText(Str::CameraProperties), parent, ItemType::Camera, folder, itemName),
      general(new CameraConfGeneral(edit.record, edit.currentPath)), image(new CameraConfImage(edit.record)) {
    AddPage(general);
    AddPage(image);
    AddPage(new CameraConfSecurity(edit.record));
    AddPage(new CameraConfFolder(edit.record, edit.currentPath));
}
