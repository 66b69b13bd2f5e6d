#include "app/shell/griditems.h"

#include "collection/collectionsnapshot.h"
#include "collection/itemtype.h"
#include "settings/settingsstore.h"

namespace {

void AddFolder(const QString& folder, QStringList& items) {
    CollectionSnapshot collection(folder);
    collection.SortSiblings();
    collection.VisitDepthFirst([&items](const CollectionSnapshot::Item& item, size_t, const QString& path) {
        if (item.key.type == ItemType::Camera || item.key.type == ItemType::LiveSite)
            items.append(path);
    });
}

} // namespace

QStringList GridItems(const QString& path) {
    QStringList items;
    const Path item(path);
    switch (GetItemType(item)) {
    case ItemType::Folder:
        AddFolder(path, items);
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
