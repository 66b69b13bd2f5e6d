#pragma once
// The order of the items of one folder wherever they are listed: folders, camera switches,
// cameras, live view sites; within a type by name, without regard to case.

#include "collection/itemtype.h"

#include <QString>

struct SiblingKey {
    ItemType type = ItemType::None;
    QString name;
};

// The type and "Name" of the item at the path of the settings tree.
SiblingKey ReadSiblingKey(const Path& item);

// Negative when a stands before b, 0 when they share the place, positive when a stands after b.
int CompareSiblings(const SiblingKey& a, const SiblingKey& b);

// Where a new item goes: before the first sibling for which this is true, so it goes before an
// existing sibling of the same type and an equal name.
inline bool GoesBefore(const SiblingKey& newItem, const SiblingKey& sibling) {
    return CompareSiblings(newItem, sibling) <= 0;
}
