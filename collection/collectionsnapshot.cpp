#include "collection/collectionsnapshot.h"

#include "settings/node.h"
#include "settings/settingsstore.h"

#include <algorithm>

CollectionSnapshot::CollectionSnapshot(const QString& top) {
    // The entries of the current branch, by the length of their paths: each entry's parent is the
    // one whose path ends where the entry's last "/" stands.
    struct Open {
        size_t entry;
        qsizetype pathLength;
    };
    std::vector<Open> open;
    // As the settings tree answers for an item's "Type" and "Name": its first child of the name.
    std::vector<bool> typeRead, nameRead;
    bool passed = false;
    Settings().ForEachEntry([&](const QString& path, const Data& value) {
        if (passed)
            return;
        if (open.empty()) {
            if (path == top) {
                items.push_back({top, {}, 0, {}});
                typeRead.push_back(false);
                nameRead.push_back(false);
                open.push_back({0, path.size()});
            }
            return;
        }
        const qsizetype slash = path.lastIndexOf(u'/');
        while (!open.empty() && open.back().pathLength > slash)
            open.pop_back();
        passed = open.empty();
        if (passed || open.back().pathLength != slash)
            return;
        const size_t parent = open.back().entry;
        const QStringView name = QStringView(path).sliced(slash + 1);
        if (name == u"Type" && !typeRead[parent]) {
            typeRead[parent] = true;
            items[parent].key.type = ItemTypeFromText(value.GetText());
        } else if (name == u"Name" && !nameRead[parent]) {
            nameRead[parent] = true;
            items[parent].key.name = value.GetText();
        }
        items.push_back({name.toString(), {}, parent, {}});
        typeRead.push_back(false);
        nameRead.push_back(false);
        open.push_back({items.size() - 1, path.size()});
    });

    // Parents come first, so each entry knows by now whether its parent is a listed folder.
    std::vector<bool> listed(items.size(), false);
    for (size_t entry = 0; entry < items.size(); ++entry) {
        Item& item = items[entry];
        if (item.key.type == ItemType::None || (entry > 0 && item.name.isEmpty()))
            continue; // no path names an item without a name: it would name its folder
        if (entry == 0) {
            listed[entry] = true;
        } else if (listed[item.parent] && items[item.parent].key.type == ItemType::Folder) {
            listed[entry] = true;
            items[item.parent].children.push_back(entry);
        }
    }
    if (!items.empty() && !listed[0])
        items.clear();
}

void CollectionSnapshot::SortSiblings() {
    for (Item& item : items) {
        std::stable_sort(item.children.begin(), item.children.end(), [this](size_t a, size_t b) {
            return CompareSiblings(items[a].key, items[b].key) < 0;
        });
    }
}

void CollectionSnapshot::VisitDepthFirst(
    const std::function<void(const Item&, size_t index, const QString& path)>& visit) const {
    if (items.empty())
        return;
    struct Open {
        size_t item;
        size_t nextChild;
        qsizetype pathLength;
    };
    QString path = items[0].name;
    visit(items[0], 0, path);
    std::vector<Open> open{{0, 0, path.size()}};
    while (!open.empty()) {
        Open& current = open.back();
        const std::vector<size_t>& children = items[current.item].children;
        if (current.nextChild == children.size()) {
            open.pop_back();
            continue;
        }
        const size_t child = children[current.nextChild++];
        path.truncate(current.pathLength);
        path += u'/';
        path += items[child].name;
        visit(items[child], child, path);
        open.push_back({child, 0, path.size()});
    }
}
