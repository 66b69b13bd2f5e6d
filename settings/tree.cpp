#include "settings/tree.h"

#include "settings/node.h"

#include <vector>

using Guard = std::lock_guard<std::recursive_mutex>;

void Tree::AddRef() {
    Guard guard(lock);
    ++refCount;
}

void Tree::Release() {
    bool last;
    {
        Guard guard(lock);
        last = --refCount == 0;
    }
    if (last)
        delete this;
}

TreeEntry* Tree::FindEntry(QStringView path) const {
    TreeEntry* entry = root.get();
    Path::ForEachComponent(path, [&entry](QStringView name) {
        entry = entry ? entry->FindChild(name) : nullptr;
        return entry != nullptr;
    });
    return entry;
}

bool Tree::Exists(const Path& path) {
    Guard guard(lock);
    return FindEntry(path.Text()) != nullptr;
}

Data Tree::GetValue(const Path& path) {
    Guard guard(lock);
    const TreeEntry* entry = FindEntry(path.Text());
    return entry ? entry->value : Data();
}

void Tree::SetValue(const Path& path, const Data& value) {
    Guard guard(lock);
    if (!root)
        root = std::make_unique<TreeEntry>(QString());
    TreeEntry* entry = root.get();
    Path::ForEachComponent(path.Text(), [&entry](QStringView name) {
        TreeEntry* child = entry->FindChild(name);
        entry = child ? child : entry->AppendChild(std::make_unique<TreeEntry>(name.toString()));
        return true;
    });
    entry->value = value;
}

void Tree::Delete(const Path& path) {
    Guard guard(lock);
    TreeEntry* entry = FindEntry(path.Text());
    if (!entry)
        return;
    if (entry == root.get()) {
        root.reset();
        return;
    }
    entry->parent->RemoveChild(entry);
}

void Tree::Move(const Path& from, const Path& to) {
    Guard guard(lock);
    const QString newName = Path::GetName(to);
    const Path parentPath = Path::GetParent(to);
    TreeEntry* source = FindEntry(from.Text());
    TreeEntry* destination = FindEntry(parentPath.Text());
    if (!source)
        return;
    // The root stays where it is, and an entry never moves into its own subtree: that would
    // cut the subtree off the tree.
    if (source == root.get())
        return;
    for (const TreeEntry* up = destination; up; up = up->parent) {
        if (up == source)
            return;
    }
    std::unique_ptr<TreeEntry> moved = source->parent->RemoveChild(source);
    if (!destination) {
        SetValue(parentPath, Data());
        destination = FindEntry(parentPath.Text());
    }
    moved->name = newName;
    destination->AppendChild(std::move(moved));
}

QString Tree::MakeUniqueName(const Path& folder, const QString& name) {
    Guard guard(lock);
    if (!FindEntry(Path::Join(folder, Path(name)).Text()))
        return name;
    for (int i = 1;; ++i) {
        const QString candidate = QStringLiteral("%1 (%2)").arg(name, QString::number(i));
        if (!FindEntry(Path::Join(folder, Path(candidate)).Text()))
            return candidate;
    }
}

void Tree::SetFromTable(const TableRow* table) {
    Guard guard(lock);
    Path base;
    for (const TableRow* row = table; row && row->key && row->value; ++row) {
        const Path key(row->key);
        Path target;
        if (key.IsAbsolute()) {
            base = key;
            target = key;
        } else {
            target = Path::Join(base, key);
        }
        SetValue(target, Data(QString::fromUtf8(row->value)));
    }
}

qsizetype Tree::ChildCount(const Path& parent) {
    Guard guard(lock);
    const TreeEntry* entry = FindEntry(parent.Text());
    return entry ? static_cast<qsizetype>(entry->children.size()) : 0;
}

bool Tree::ChildAt(const Path& parent, qsizetype index, QString& name, Data& value) {
    Guard guard(lock);
    const TreeEntry* entry = FindEntry(parent.Text());
    if (!entry || index < 0 || index >= static_cast<qsizetype>(entry->children.size()))
        return false;
    const TreeEntry* child = entry->children[static_cast<size_t>(index)].get();
    name = child->name;
    value = child->value;
    return true;
}

void Tree::ForEachEntry(const std::function<void(const QString& path, const Data& value)>& visit) {
    Guard guard(lock);
    if (!root)
        return;
    // One path text, cut back to the parent's path at each entry: memory grows with the depth,
    // not with its square.
    QString path;
    std::vector<qsizetype> pathLengths; // the path's length at each depth
    VisitDepthFirst(*root, [&](const TreeEntry& entry, size_t depth) {
        if (depth > 0) {
            path.truncate(pathLengths[depth - 1]);
            path += QLatin1Char('/') + entry.name;
        }
        pathLengths.resize(depth + 1);
        pathLengths[depth] = path.size();
        visit(path, entry.value);
    });
}

void Tree::ReplaceRoot(std::unique_ptr<TreeEntry> newRoot) {
    Guard guard(lock);
    root = std::move(newRoot);
}

void Tree::ReadRoot(const std::function<void(const TreeEntry* root)>& read) {
    Guard guard(lock);
    read(root.get());
}
