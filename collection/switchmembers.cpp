#include "collection/switchmembers.h"

#include "collection/collectionsnapshot.h"
#include "collection/itemtype.h"

#include "foundation/log.h"
#include "settings/node.h"
#include "settings/settingsstore.h"

namespace {

// The member's path after the move, or the empty text when the move does not touch it.
QString MovedPath(const QString& member, const QString& from, const QString& to) {
    if (member == from)
        return to;
    if (member.startsWith(from) && member.at(from.size()) == QLatin1Char('/'))
        return to + member.mid(from.size());
    return QString();
}

void RenameMembersOf(const Node& cameraSwitch, const QString& from, const QString& to) {
    ChildIterator it = cameraSwitch.GetFirstChild(kSwitchMembersNode);
    QString key;
    Data value;
    while (cameraSwitch.GetNextChild(it, key, value)) {
        const QString moved = MovedPath(value.GetText(), from, to);
        if (moved.isEmpty())
            continue;
        LogTrace(u"RenameSwitchMembers", "'%S' member '%S' is now '%S'", Wide(cameraSwitch.GetPath().Text()),
                 Wide(value.GetText()), Wide(moved));
        cameraSwitch.SetValue(Path::Join(kSwitchMembersNode, key), Data(moved));
    }
}

} // namespace

void RenameSwitchMembers(const Path& from, const Path& to) {
    if (from == to)
        return;
    // Switches may stand in any folder.
    const CollectionSnapshot collection(QString::fromLatin1(kCollectionRoot));
    collection.VisitDepthFirst([&](const CollectionSnapshot::Item& item, size_t, const QString& path) {
        if (item.key.type == ItemType::CameraSwitch)
            RenameMembersOf(Settings().GetNode(Path(path)), from.Text(), to.Text());
    });
}
