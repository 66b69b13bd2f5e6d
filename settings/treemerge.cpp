#include "settings/treemerge.h"

#include "settings/node.h"

#include <QHash>

#include <vector>

namespace {

bool SameValue(const Data& a, const Data& b) {
    const uint32_t both = a.Flags() & b.Flags();
    if (both == 0)
        return a.Flags() == b.Flags(); // two entries without a value, or another type
    return (!(both & Data::kInt) || a.StoredInt() == b.StoredInt()) &&
           (!(both & Data::kText) || a.StoredText() == b.StoredText()) &&
           (!(both & Data::kBool) || a.StoredBool() == b.StoredBool());
}

} // namespace

void MergeChanges(const Node& base, const Node& ours, const Node& theirs) {
    QHash<QString, Data> before;
    base.ForEachEntry([&before](const QString& path, const Data& value) { before.insert(path, value); });
    QHash<QString, bool> kept; // the paths ours holds
    ours.ForEachEntry([&](const QString& path, const Data& value) {
        kept.insert(path, true);
        const auto old = before.constFind(path);
        if (!path.isEmpty() && (old == before.constEnd() || !SameValue(*old, value)))
            theirs.SetValue(Path(path), value); // parents come first, so the order of a new branch stays
    });
    std::vector<QString> gone;
    base.ForEachEntry([&](const QString& path, const Data&) {
        if (!path.isEmpty() && !kept.contains(path))
            gone.push_back(path);
    });
    for (const QString& path : gone) {
        if (theirs.Exists(Path(path)))
            theirs.Delete(Path(path));
    }
}
