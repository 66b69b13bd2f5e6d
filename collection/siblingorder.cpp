#include "collection/siblingorder.h"

#include "settings/node.h"
#include "settings/settingsstore.h"

SiblingKey ReadSiblingKey(const Path& item) {
    return SiblingKey{GetItemType(item), Settings().GetValue(Path::Join(item, "Name")).GetText()};
}

int CompareSiblings(const SiblingKey& a, const SiblingKey& b) {
    if (a.type != b.type)
        return static_cast<int>(a.type) < static_cast<int>(b.type) ? -1 : 1;
    return QString::compare(a.name, b.name, Qt::CaseInsensitive);
}
