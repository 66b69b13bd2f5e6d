#pragma once
// A folder opened for editing. Writing it back moves the folder with everything in it when its
// name or parent changed.

#include "settings/path.h"

#include <QString>

class FolderEdit {
  public:
    // An existing folder of the parent, or, when name is empty, a new one with a generated name.
    static FolderEdit Open(const Path& parent, const QString& name);

    // Writes nothing and returns false when the parent is not a folder of the collection or
    // lies inside the folder itself.
    bool WriteBack();

    QString name;
    Path parentPath;
    Path currentPath;
};

// Moves a folder or camera switch whose path changed; a new item has nothing to move yet.
// False, with nothing moved, when the new path is not in a folder of the collection or lies
// inside the item itself.
bool MoveItem(const Path& currentPath, const Path& newPath);
