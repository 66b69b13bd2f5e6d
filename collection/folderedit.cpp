#include "collection/folderedit.h"

#include "collection/itemtype.h"
#include "collection/switchmembers.h"
#include "collection/validation.h"

#include "settings/node.h"
#include "settings/settingsstore.h"

bool MoveItem(const Path& currentPath, const Path& newPath) {
    // A move under the item itself would detach it from the tree with all it holds.
    if (!IsCollectionFolder(Path::GetParent(newPath)) || !CheckFolderMove(newPath, currentPath).isEmpty()) {
        return false;
    }
    if (newPath != currentPath && Settings().Exists(currentPath)) {
        Settings().Move(currentPath, newPath);
        RenameSwitchMembers(currentPath, newPath);
    }
    return true;
}

FolderEdit FolderEdit::Open(const Path& parent, const QString& name) {
    FolderEdit edit;
    edit.name = name.isEmpty() ? GenerateItemName(parent, ItemType::Folder) : name;
    edit.parentPath = parent;
    edit.currentPath = Path::Join(parent, edit.name);
    return edit;
}

bool FolderEdit::WriteBack() {
    const Path newPath = Path::Join(parentPath, name);
    if (!MoveItem(currentPath, newPath))
        return false;
    const Node folder = Settings().GetNode(newPath);
    folder.SetValue("Name", Data(name));
    folder.SetValue("Type", Data(ItemTypeText(ItemType::Folder)));
    currentPath = newPath;
    return true;
}
