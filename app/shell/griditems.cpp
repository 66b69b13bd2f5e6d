#include "app/shell/griditems.h"

#include "collection/itemtype.h"
#include "collection/siblingorder.h"
#include "settings/settingsstore.h"

#include <algorithm>
#include <vector>

namespace {

void AddFolder(const Path& folder, QStringList& items) {
    struct Child {
        QString path;
        SiblingKey key;
    };
    std::vector<Child> children;
    const Node& settings = Settings();
    ChildIterator it = settings.GetFirstChild(folder);
    QString name;
    Data value;
    while (settings.GetNextChild(it, name, value)) {
        const Path child = Path::Join(folder, name);
        const SiblingKey key = ReadSiblingKey(child);
        if (key.type != ItemType::None)
            children.push_back({child.Text(), key});
    }
    std::stable_sort(children.begin(), children.end(),
                     [](const Child& a, const Child& b) { return CompareSiblings(a.key, b.key) < 0; });
    for (const Child& child : children) {
        switch (child.key.type) {
        case ItemType::Folder:
            AddFolder(Path(child.path), items);
            break;
        case ItemType::Camera:
        case ItemType::LiveSite:
            items.append(child.path);
            break;
        default:
            break;
        }
    }
}

} // namespace

QStringList GridItems(const QString& path) {
    QStringList items;
    const Path item(path);
    switch (GetItemType(item)) {
    case ItemType::Folder:
        AddFolder(item, items);
        break;
    case ItemType::Camera:
    case ItemType::LiveSite:
        items.append(path);
        break;
    case ItemType::CameraSwitch: {
        const Node members = Settings().GetNode(Path::Join(item, "Cameras"));
        ChildIterator it = members.GetFirstChild(members.GetPath());
        QString name;
        Data value;
        while (members.GetNextChild(it, name, value)) {
            const ItemType type = GetItemType(Path(value.GetText()));
            if (type == ItemType::Camera || type == ItemType::LiveSite)
                items.append(value.GetText());
        }
        break;
    }
    case ItemType::None:
        break;
    }
    return items;
}
