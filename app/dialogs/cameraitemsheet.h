#pragma once
// The property sheet of a camera or live view site: the pages edit one record, which is
// written to the collection only when the user confirms the sheet with OK.

#include "collection/cameraedit.h"
#include "platform/ui/propertysheet.h"

class CameraItemSheet : public PropertySheet {
  public:
    // 1 when the user confirmed and the item was written, 0 otherwise.
    int DoModal() override;
    // The item's path: after a confirmed edit the path it was written to.
    QString ItemPath() const { return edit.currentPath.Text(); }

  protected:
    // An existing item of the folder, or a new item of the type when name is empty.
    CameraItemSheet(const QString& caption, QWidget* parent, ItemType type, const Path& folder,
                    const QString& name);

    CameraEdit edit;
};
