#pragma once
// Node: a handle onto one path of a shared, reference-counted settings Tree. All settings
// access goes through it; paths that do not start with "/" are relative to the handle's path.

#include "settings/data.h"
#include "settings/path.h"

#include <QString>

#include <functional>

class ArchiveReader;
class ArchiveWriter;
class ChildIterator;
class Tree;

// One row of a built-in table: an absolute key starts a new base, a relative key names a child
// of the last base. A row with a missing key or value ends the table.
struct TableRow {
    const char* key;
    const char* value;
};

class Node {
  public:
    // The path "/" on a new, empty tree of its own.
    Node();
    Node(const Node& other);
    Node& operator=(const Node& other);
    virtual ~Node();

    Path GetPath() const { return path; }
    void SetPath(const Path& newPath);

    bool Exists(const Path& at) const;
    // A copy of the value; an empty value when no entry exists.
    Data GetValue(const Path& at) const;
    // Stores a copy, creating every missing entry on the way.
    void SetValue(const Path& at, const Data& value) const;
    void Delete(const Path& at) const;
    // Re-attaches the entry at from under GetParent(to), named GetName(to), with its subtree.
    void Move(const Path& from, const Path& to) const;
    // A handle on another path of the same tree; creates nothing.
    Node GetNode(const Path& at) const;
    QString MakeUniqueName(const Path& folder, const QString& name) const;

    ChildIterator GetFirstChild(const Path& at) const;
    ChildIterator GetLastChild(const Path& at) const;
    // Give the child's name and value, then step; false when the iterator is finished.
    bool GetNextChild(ChildIterator& iterator, QString& name, Data& value) const;
    bool GetPrevChild(ChildIterator& iterator, QString& name, Data& value) const;

    void SetFromTable(const TableRow* table) const;

    // Stores the handle: its own path, then its tree.
    void Serialize(ArchiveWriter& archive) const;
    // Loads the handle; on a damaged archive nothing changes and false is returned (the
    // archive holds the offset and reason).
    bool Serialize(ArchiveReader& archive);

    // Every entry of the tree, parents first (see Tree::ForEachEntry).
    void ForEachEntry(const std::function<void(const QString& path, const Data& value)>& visit) const;
    bool SharesTreeWith(const Node& other) const { return tree == other.tree; }

  private:
    friend class ChildIterator;
    Node(Tree* tree, const Path& path);
    Path Resolve(const Path& at) const;

    Path path;
    Tree* tree;
};

// A position among the children of one entry. Finished when the entry is gone or the position
// has left its children. It keeps the tree alive but holds no lock between calls.
class ChildIterator {
  public:
    ChildIterator() = default;
    bool IsFinished() const;
    // The child at the position, without moving.
    bool Current(QString& name, Data& value) const;

  private:
    friend class Node;
    Node parent;
    qsizetype index = -1;
};
