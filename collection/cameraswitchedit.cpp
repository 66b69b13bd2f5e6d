#include "collection/cameraswitchedit.h"

#include "collection/folderedit.h"
#include "collection/itemtype.h"
#include "collection/switchmembers.h"

#include "settings/node.h"
#include "settings/settingsstore.h"

namespace {

bool CanBeMember(const QString& path) {
    const ItemType type = GetItemType(Path(path));
    return type == ItemType::Camera || type == ItemType::LiveSite;
}

} // namespace

CameraSwitchEdit CameraSwitchEdit::Open(const Path& folder, const QString& name) {
    CameraSwitchEdit edit;
    edit.folderPath = folder;
    if (name.isEmpty()) {
        edit.name = GenerateItemName(folder, ItemType::CameraSwitch);
        edit.displayTime = Defaults().GetValue("/DefaultValues/CameraSwitch/DisplayTime").GetInt();
    } else {
        edit.name = name;
        edit.displayTime = Settings().GetValue(Path::Join(Path::Join(folder, name), "DisplayTime")).GetInt();
    }
    edit.currentPath = Path::Join(folder, edit.name);
    return edit;
}

QStringList CameraSwitchEdit::Members() const {
    QStringList members;
    const Node node = Settings().GetNode(currentPath);
    ChildIterator it = node.GetFirstChild(kSwitchMembersNode);
    QString key;
    Data value;
    while (node.GetNextChild(it, key, value))
        members.append(value.GetText());
    return members;
}

bool CameraSwitchEdit::WriteBack(const QStringList& checkedPaths) {
    const Path newPath = Path::Join(folderPath, name);
    if (!MoveItem(currentPath, newPath))
        return false;
    currentPath = newPath;

    const Node cameraSwitch = Settings().GetNode(newPath);
    cameraSwitch.SetValue("Name", Data(name));
    cameraSwitch.SetValue("Type", Data(ItemTypeText(ItemType::CameraSwitch)));
    cameraSwitch.SetValue("DisplayTime", Data(displayTime));
    cameraSwitch.Delete(kSwitchMembersNode);
    int count = 0;
    for (const QString& path : checkedPaths) {
        if (!CanBeMember(path))
            continue;
        const QString key = QString::asprintf("%s/Camera_%03d", kSwitchMembersNode, count++);
        cameraSwitch.SetValue(key, Data(path));
    }
    cameraSwitch.SetValue("NbrOfCameras", Data(count));
    return true;
}
