#include "settings/treeentry.h"

#include <algorithm>

TreeEntry::~TreeEntry() {
    std::vector<std::unique_ptr<TreeEntry>> pending = std::move(children);
    while (!pending.empty()) {
        std::unique_ptr<TreeEntry> entry = std::move(pending.back());
        pending.pop_back();
        for (auto& child : entry->children)
            pending.push_back(std::move(child));
        entry->children.clear();
    } // each entry is destroyed here without children of its own
}

TreeEntry* TreeEntry::FindChild(QStringView childName) const {
    for (const auto& child : children) {
        if (child->name == childName)
            return child.get();
    }
    return nullptr;
}

TreeEntry* TreeEntry::AppendChild(std::unique_ptr<TreeEntry> child) {
    child->parent = this;
    children.push_back(std::move(child));
    return children.back().get();
}

std::unique_ptr<TreeEntry> TreeEntry::RemoveChild(TreeEntry* child) {
    const auto found =
        std::find_if(children.begin(), children.end(),
                     [child](const std::unique_ptr<TreeEntry>& c) { return c.get() == child; });
    if (found == children.end())
        return nullptr;
    std::unique_ptr<TreeEntry> removed = std::move(*found);
    children.erase(found);
    removed->parent = nullptr;
    return removed;
}
