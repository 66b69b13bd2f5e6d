#include "collection/cameraedit.h"

#include "collection/collectionstrings.h"
#include "collection/switchmembers.h"

#include "settings/node.h"
#include "settings/settingsstore.h"

CameraEdit CameraEdit::Open(ItemType typeOfNew, const Path& folder, const QString& name) {
    CameraEdit edit;
    QString itemName = name;
    if (itemName.isEmpty()) {
        const char* defaults =
            typeOfNew == ItemType::LiveSite ? "/DefaultValues/LiveSite" : "/DefaultValues/Camera";
        edit.record.Load(Defaults().GetNode(defaults));
        itemName =
            GenerateItemName(folder, typeOfNew == ItemType::LiveSite ? ItemType::LiveSite : ItemType::Camera);
    } else {
        edit.record.Load(Settings().GetNode(Path::Join(folder, itemName)));
    }
    edit.record.name = itemName;
    edit.record.folderPath = folder.Text();
    edit.record.status = CollectionText(CollectionString::kUnknown);
    edit.currentPath = Path::Join(folder, itemName);
    return edit;
}

bool CameraEdit::WriteBack() {
    const Path folder(record.folderPath);
    if (!IsCollectionFolder(folder))
        return false;
    const Path newPath = Path::Join(folder, record.name);
    const bool moved = newPath != currentPath && Settings().Exists(currentPath);
    if (newPath != currentPath)
        Settings().Delete(currentPath);
    record.Save(Settings().GetNode(newPath));
    if (moved)
        RenameSwitchMembers(currentPath, newPath);
    currentPath = newPath;
    return true;
}
