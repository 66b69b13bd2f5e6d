#include "app/dialogs/cameraitemsheet.h"

#include "foundation/log.h"
#include "platform/ui/messagebox.h"

CameraItemSheet::CameraItemSheet(const QString& caption, QWidget* parent, ItemType type, const Path& folder,
                                 const QString& name)
    : PropertySheet(caption, parent), edit(CameraEdit::Open(type, folder, name)) {}

int CameraItemSheet::DoModal() {
    if (PropertySheet::DoModal() != IDOK)
        return 0;
    if (!edit.WriteBack()) {
        LogError(u"CameraItemSheet::DoModal", "'%S' is no folder of the collection, '%S' not written",
                 Wide(edit.record.folderPath), Wide(edit.record.name));
        return 0;
    }
    return 1;
}
