#pragma once
#include "settings/data.h"

#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

// One entry of a settings tree: a name, a value and the owned children in insertion order.
class TreeEntry {
  public:
    explicit TreeEntry(const QString& name) : name(name) {}
    // Frees the subtree entry by entry, so that a tree of any depth cannot exhaust the stack.
    virtual ~TreeEntry();
    TreeEntry(const TreeEntry&) = delete;
    TreeEntry& operator=(const TreeEntry&) = delete;

    // The first child with exactly this name, or none.
    TreeEntry* FindChild(QStringView childName) const;
    // Appends a child at the end and makes this entry its parent.
    TreeEntry* AppendChild(std::unique_ptr<TreeEntry> child);
    // Takes a child out of the list; the caller owns it.
    std::unique_ptr<TreeEntry> RemoveChild(TreeEntry* child);

    QString name;
    Data value;
    TreeEntry* parent = nullptr;
    std::vector<std::unique_ptr<TreeEntry>> children;
};

// Calls visit(entry, depth) for the entry (depth 0) and every entry below it, parents before
// their children, children in their order. A list of its own instead of recursion, so that a
// tree of any depth cannot exhaust the stack.
template <typename Visit> void VisitDepthFirst(const TreeEntry& top, Visit visit) {
    struct Open {
        const TreeEntry* entry;
        size_t nextChild;
    };
    visit(top, 0);
    std::vector<Open> open{{&top, 0}};
    while (!open.empty()) {
        Open& current = open.back();
        if (current.nextChild == current.entry->children.size()) {
            open.pop_back();
            continue;
        }
        const TreeEntry& child = *current.entry->children[current.nextChild++];
        visit(child, open.size());
        open.push_back({&child, 0});
    }
}
