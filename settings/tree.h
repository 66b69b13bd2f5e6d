#pragma once
#include "settings/data.h"
#include "settings/path.h"
#include "settings/treeentry.h"

#include <functional>
#include <memory>
#include <mutex>

struct TableRow;

// A settings tree shared by the Node handles that refer to it. Every operation takes the
// tree's re-entrant lock for its whole duration; paths here are already resolved.
class Tree {
  public:
    Tree() = default;
    virtual ~Tree() = default;
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;

    void AddRef();
    // Drops one reference; destroys the tree with the last one.
    void Release();

    bool Exists(const Path& path);
    Data GetValue(const Path& path);
    void SetValue(const Path& path, const Data& value);
    void Delete(const Path& path);
    void Move(const Path& from, const Path& to);
    QString MakeUniqueName(const Path& folder, const QString& name);
    void SetFromTable(const TableRow* table);

    // Child access by position, for ChildIterator. False when the parent or position is gone.
    qsizetype ChildCount(const Path& parent);
    bool ChildAt(const Path& parent, qsizetype index, QString& name, Data& value);

    // Visits every entry depth first, parents before children; the path of the root entry is
    // the empty text, its children's "/Name", and so on.
    void ForEachEntry(const std::function<void(const QString& path, const Data& value)>& visit);

    // Replaces the root (a load); the lock is held while it changes.
    void ReplaceRoot(std::unique_ptr<TreeEntry> newRoot);
    // Runs a reader of the root entry under the lock (a store).
    void ReadRoot(const std::function<void(const TreeEntry* root)>& read);

  private:
    TreeEntry* FindEntry(QStringView path) const;

    std::recursive_mutex lock;
    int refCount = 0;
    std::unique_ptr<TreeEntry> root;
};
