#include "settings/treemerge.h"

#include "settings/node.h"

#include <QHash>

#include <vector>

namespace {

// Ours holds every reading base held, with the same values; a value set anew holds only its own.
bool SameValue(const Data& base, const Data& ours) {
    if (base.Flags() == 0 || (ours.Flags() & base.Flags()) != base.Flags())
        return base.Flags() == ours.Flags();
    return (!(base.Flags() & Data::kInt) || base.StoredInt() == ours.StoredInt()) &&
           (!(base.Flags() & Data::kText) || base.StoredText() == ours.StoredText()) &&
           (!(base.Flags() & Data::kBool) || base.StoredBool() == ours.StoredBool());
}

// Every entry by its path; false when two have one path.
bool EntriesOf(const Node& tree, QHash<QString, Data>& entries) {
    bool unique = true;
    tree.ForEachEntry([&](const QString& path, const Data& value) {
        unique = unique && !entries.contains(path);
        entries.insert(path, value);
    });
    return unique;
}

} // namespace

bool MergeChanges(const Node& base, const Node& ours, const Node& theirs) {
    QHash<QString, Data> before, now, other;
    if (!EntriesOf(base, before) || !EntriesOf(ours, now) || !EntriesOf(theirs, other))
        return false;
    ours.ForEachEntry([&](const QString& path, const Data& value) {
        const auto old = before.constFind(path);
        if (!path.isEmpty() && (old == before.constEnd() || !SameValue(*old, value)))
            theirs.SetValue(Path(path), value); // parents come first, so the order of a new branch stays
    });
    std::vector<QString> gone;
    base.ForEachEntry([&](const QString& path, const Data&) {
        if (!path.isEmpty() && !now.contains(path))
            gone.push_back(path);
    });
    for (const QString& path : gone) {
        if (theirs.Exists(Path(path)))
            theirs.Delete(Path(path));
    }
    return true;
}
