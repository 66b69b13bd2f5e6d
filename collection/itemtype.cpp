#include "collection/itemtype.h"

#include "collection/collectionstrings.h"

#include "settings/node.h"
#include "settings/settingsstore.h"

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

} // namespace

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
