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
    virtual ~TreeEntry() = default;
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
