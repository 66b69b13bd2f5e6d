#include "collection/itemtype.h"

#include "collection/collectionstrings.h"

#include "settings/node.h"
#include "settings/settingsstore.h"

#include <QStringList>

namespace {

struct TypeInfo {
    ItemType type;
    const char* text;
    int baseNameId;
};

const TypeInfo kTypes[] = {
    {ItemType::Folder, "Folder", CollectionString::kFolderName},
    {ItemType::CameraSwitch, "CameraSwitch", CollectionString::kCameraSwitchName},
    {ItemType::Camera, "Camera", CollectionString::kCameraName},
    {ItemType::LiveSite, "LiveSite", CollectionString::kLiveSiteName},
};

const TypeInfo* Find(ItemType type) {
    for (const TypeInfo& info : kTypes) {
        if (info.type == type)
            return &info;
    }
    return nullptr;
}

QString ShownName(const Path& item) {
    return Settings().GetValue(Path::Join(item, "Name")).GetText();
}

// The item of the folder that the tree shows with this name; empty when there is none.
QString FindShownChild(const Path& folder, QStringView name) {
    ChildIterator child = Settings().GetFirstChild(folder);
    QString childName;
    Data value;
    while (Settings().GetNextChild(child, childName, value)) {
        const Path item = Path::Join(folder, childName);
        if (!childName.isEmpty() && GetItemType(item) != ItemType::None && ShownName(item) == name)
            return item.Text();
    }
    return QString();
}

// Down from the collection root, one shown name at a time, through folders only.
QString FindShownPath(const QString& shown) {
    QStringList names = shown.split(u'/');
    if (shown.startsWith(u'/'))
        names.removeFirst();
    const Path root(kCollectionRoot);
    if (GetItemType(root) == ItemType::None || ShownName(root) != names.front())
        return QString();
    QString found = root.Text();
    for (qsizetype i = 1; i < names.size() && !found.isEmpty(); ++i)
        found = GetItemType(found) == ItemType::Folder ? FindShownChild(found, names[i]) : QString();
    return found;
}

} // namespace

QString FindItemPath(const QString& path) {
    if (!path.isEmpty() && GetItemType(Path(path)) != ItemType::None)
        return path;
    return FindShownPath(path);
}

QString ItemTypeText(ItemType type) {
    const TypeInfo* info = Find(type);
    return info ? QString::fromLatin1(info->text) : QString();
}

ItemType ItemTypeFromText(const QString& text) {
    for (const TypeInfo& info : kTypes) {
        if (text == QLatin1String(info.text))
            return info.type;
    }
    return ItemType::None;
}

ItemType GetItemType(const Path& item) {
    return ItemTypeFromText(Settings().GetValue(Path::Join(item, "Type")).GetText());
}

bool IsCollectionFolder(const Path& folder) {
    const QString root = QString::fromLatin1(kCollectionRoot);
    const QString& text = folder.Text();
    const bool inside = text == root || text.startsWith(root + QLatin1Char('/'));
    return inside && GetItemType(folder) == ItemType::Folder;
}

QString GenerateItemName(const Path& folder, ItemType type) {
    const TypeInfo* info = Find(type);
    if (!info)
        return QString();
    return Settings().MakeUniqueName(folder, CollectionText(info->baseNameId));
}
