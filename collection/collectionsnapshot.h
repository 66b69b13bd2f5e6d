#pragma once
// The items at and below one path of the collection, read from the settings tree in one pass.
// Reading one value of the settings tree costs the length of its path, so a walk that asks for
// each item's type, name and children costs the square of the collection's depth; this costs the
// size of the settings tree once, at any depth. Only folders are walked into, as everywhere the
// collection is listed: a camera switch's member list is never taken for items.

#include "collection/siblingorder.h"

#include <QString>

#include <functional>
#include <vector>

class CollectionSnapshot {
  public:
    struct Item {
        // The top's whole path; any other item's last name in its path.
        QString name;
        SiblingKey key;
        size_t parent = 0;
        // A folder's items, in the settings tree's child order.
        std::vector<size_t> children;
    };

    // Nothing to visit when the path is no item.
    explicit CollectionSnapshot(const QString& top);

    // The highest index VisitDepthFirst gives, plus one.
    size_t Size() const { return items.size(); }
    // Puts each folder's items in sibling order; items that share a place keep their child order.
    void SortSiblings();
    // Calls visit(item, index, path) for the top and every item below it, each folder before its
    // items, a folder's items in the order of its list. The path is carried down from the
    // folder's own, not looked up.
    void
    VisitDepthFirst(const std::function<void(const Item&, size_t index, const QString& path)>& visit) const;

  private:
    // Every entry at and below the top, parents first; only the items are linked as children.
    std::vector<Item> items;
};
