#include "settings/node.h"

#include "settings/archive.h"
#include "settings/tree.h"

Node::Node() : tree(new Tree) {
    tree->AddRef();
}

Node::Node(Tree* shared, const Path& at) : path(at), tree(shared) {
    tree->AddRef();
}

Node::Node(const Node& other) : path(other.path), tree(other.tree) {
    tree->AddRef();
}

Node& Node::operator=(const Node& other) {
    if (this == &other)
        return *this;
    other.tree->AddRef();
    tree->Release();
    tree = other.tree;
    path = other.path;
    return *this;
}

Node::~Node() {
    tree->Release();
}

Path Node::Resolve(const Path& at) const {
    return at.IsAbsolute() ? at : Path::Join(path, at);
}

void Node::SetPath(const Path& newPath) {
    path = Resolve(newPath);
}

bool Node::Exists(const Path& at) const {
    return tree->Exists(Resolve(at));
}

Data Node::GetValue(const Path& at) const {
    return tree->GetValue(Resolve(at));
}

void Node::SetValue(const Path& at, const Data& value) const {
    tree->SetValue(Resolve(at), value);
}

void Node::Delete(const Path& at) const {
    tree->Delete(Resolve(at));
}

void Node::Move(const Path& from, const Path& to) const {
    tree->Move(Resolve(from), Resolve(to));
}

Node Node::GetNode(const Path& at) const {
    return Node(tree, Resolve(at));
}

QString Node::MakeUniqueName(const Path& folder, const QString& name) const {
    return tree->MakeUniqueName(Resolve(folder), name);
}

ChildIterator Node::GetFirstChild(const Path& at) const {
    ChildIterator iterator;
    iterator.parent = GetNode(at);
    iterator.index = tree->ChildCount(iterator.parent.path) > 0 ? 0 : -1;
    return iterator;
}

ChildIterator Node::GetLastChild(const Path& at) const {
    ChildIterator iterator;
    iterator.parent = GetNode(at);
    iterator.index = tree->ChildCount(iterator.parent.path) - 1;
    return iterator;
}

bool Node::GetNextChild(ChildIterator& iterator, QString& name, Data& value) const {
    if (!iterator.Current(name, value))
        return false;
    ++iterator.index;
    if (iterator.IsFinished())
        iterator.index = -1;
    return true;
}

bool Node::GetPrevChild(ChildIterator& iterator, QString& name, Data& value) const {
    if (!iterator.Current(name, value))
        return false;
    --iterator.index;
    return true;
}

void Node::SetFromTable(const TableRow* table) const {
    tree->SetFromTable(table);
}

void Node::Serialize(ArchiveWriter& archive) const {
    tree->ReadRoot([&](const TreeEntry* root) { StoreHandle(archive, path, root); });
}

bool Node::Serialize(ArchiveReader& archive) {
    LoadedHandle loaded;
    if (!LoadHandle(archive, loaded))
        return false;
    path = loaded.path;
    if (loaded.hasRoot)
        tree->ReplaceRoot(std::move(loaded.root));
    return true;
}

void Node::ForEachEntry(const std::function<void(const QString& path, const Data& value)>& visit) const {
    tree->ForEachEntry(visit);
}

bool ChildIterator::IsFinished() const {
    return index < 0 || index >= parent.tree->ChildCount(parent.path);
}

bool ChildIterator::Current(QString& name, Data& value) const {
    return index >= 0 && parent.tree->ChildAt(parent.path, index, name, value);
}
