#include "app/shell/gridsettings.h"

#include "app/shell/zelppcapp.h"

#include "collection/collectionsnapshot.h"
#include "collection/itemtype.h"
#include "settings/settingsstore.h"

namespace {

constexpr char kLayout[] = "GridLayout";
constexpr char kOrder[] = "GridOrder";

void Keep(const QString& gridPath, const char* name, const QString& value) {
    Settings().GetNode(gridPath).SetValue(name, Data(value));
    if (ZelPPCApp* app = ZelPPCApp::Instance())
        app->SaveSettings();
}

} // namespace

GridLayout KeptGridLayout(const QString& gridPath) {
    return GridLayout::Named(Settings().GetValue(Path::Join(Path(gridPath), kLayout)).GetText());
}

void KeepGridLayout(const QString& gridPath, const GridLayout& layout) {
    Keep(gridPath, kLayout, layout.Name());
}

QStringList InKeptOrder(const QString& gridPath, const QStringList& items) {
    const QString below = gridPath + QLatin1Char('/');
    QStringList ordered;
    const QStringList kept = Settings()
                                 .GetValue(Path::Join(Path(gridPath), kOrder))
                                 .GetText()
                                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& entry : kept) {
        const QString item = entry.startsWith(QLatin1Char('/')) ? entry : below + entry;
        if (items.contains(item) && !ordered.contains(item))
            ordered.append(item);
    }
    for (const QString& item : items) {
        if (!ordered.contains(item))
            ordered.append(item);
    }
    return ordered;
}

void FollowGridOrders(const QString& from, const QString& to) {
    const CollectionSnapshot collection(QString::fromLatin1(kCollectionRoot));
    collection.VisitDepthFirst([&](const CollectionSnapshot::Item&, size_t, const QString& gridPath) {
        const Path order = Path::Join(Path(gridPath), kOrder);
        if (!Settings().Exists(order))
            return;
        const QString below = gridPath + QLatin1Char('/');
        QStringList entries =
            Settings().GetValue(order).GetText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        bool followed = false;
        for (QString& entry : entries) {
            const QString item = entry.startsWith(QLatin1Char('/')) ? entry : below + entry;
            if (item != from && !item.startsWith(from + QLatin1Char('/')))
                continue;
            const QString moved = to + item.mid(from.size());
            entry = moved.startsWith(below) ? moved.mid(below.size()) : moved;
            followed = true;
        }
        if (followed)
            Settings().SetValue(order, Data(entries.join(QLatin1Char('\n'))));
    });
}

void KeepGridOrder(const QString& gridPath, const QStringList& items) {
    const QString below = gridPath + QLatin1Char('/');
    QStringList entries;
    for (const QString& item : items)
        entries.append(item.startsWith(below) ? item.mid(below.size()) : item);
    Keep(gridPath, kOrder, entries.join(QLatin1Char('\n')));
}
