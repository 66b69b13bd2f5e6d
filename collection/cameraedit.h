#pragma once
// A camera or live view site opened for editing: the record the pages change and the path the
// item has in the collection until the edit is written back.

#include "collection/camera.h"
#include "collection/itemtype.h"

#include "settings/path.h"

class CameraEdit {
  public:
    // An existing item of the folder, or, when name is empty, a new item of the type (Camera or
    // LiveSite) made from its defaults with a generated name.
    static CameraEdit Open(ItemType typeOfNew, const Path& folder, const QString& name);

    // Saves the record at the record's folderPath and name, removing the item from its old
    // path when that changed. Writes nothing and returns false when the folder is not a folder
    // of the collection.
    bool WriteBack();

    Camera record;
    Path currentPath;
};
