#include "collection/collectiontree.h"

#include "collection/collectionsnapshot.h"
#include "collection/itemtype.h"

#include "platform/ui/messages.h"

#include <QBitmap>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QStyle>

#include <cstdint>
#include <map>
#include <utility>

namespace {

#include "collection/icons/camera.xpm"
#include "collection/icons/camera_selected.xpm"
#include "collection/icons/cameraswitch.xpm"
#include "collection/icons/cameraswitch_selected.xpm"
#include "collection/icons/collection.xpm"
#include "collection/icons/collection_selected.xpm"
#include "collection/icons/folder.xpm"
#include "collection/icons/folder_selected.xpm"
#include "collection/icons/livesite.xpm"
#include "collection/icons/livesite_selected.xpm"

// The pictures by image number: each kind's own, then the one it shows while selected.
const char* const* const kPictures[] = {
    camera_xpm,       camera_selected_xpm,       folder_xpm,   folder_selected_xpm,
    cameraswitch_xpm, cameraswitch_selected_xpm, livesite_xpm, livesite_selected_xpm,
    collection_xpm,   collection_selected_xpm,
};

constexpr int kCameraImage = 0;
constexpr int kFolderImage = 2;
constexpr int kCameraSwitchImage = 4;
constexpr int kLiveSiteImage = 6;
constexpr int kCollectionImage = 8;
constexpr int kImageCount = sizeof(kPictures) / sizeof(kPictures[0]);

// White is the pictures' background: it shows the tree's own.
QPixmap Picture(int image) {
    QPixmap picture(kPictures[image]);
    picture.setMask(picture.createMaskFromColor(Qt::white));
    return picture;
}

} // namespace

// Paths are put together from the names when asked for, so that the records of a deep
// collection grow with its items, not with the square of its depth.
struct CollectionTree::Item {
    // The collection root's whole path; any other item's last name in its path.
    QString name;
    SiblingKey key;
    QTreeWidgetItem* treeItem = nullptr;
    bool checked = false;
};

// The folders open before a refill, found again in the new fill by their names: an item of the
// new fill matches the old record of its name under the old record its parent matched.
struct CollectionTree::OpenFolders {
    static constexpr size_t kNone = SIZE_MAX;
    // By record number.
    std::vector<bool> open;
    // Each record but the collection's, by its parent's record number and its name.
    std::map<std::pair<size_t, QString>, size_t> numbers;

    size_t Match(size_t parent, const QString& name) const {
        const auto found = numbers.find({parent, name});
        return found == numbers.end() ? kNone : found->second;
    }
    bool WasOpen(size_t number) const { return number != kNone && open[number]; }
};

CollectionTree::CollectionTree(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(1);
    header()->hide();
    setIconSize(QSize(16, 16));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setRootIsDecorated(true);
    // Every row is a picture and a line: the view need not measure each one it lays out.
    setUniformRowHeights(true);
}

CollectionTree::~CollectionTree() {
    RemoveItems();
}

void CollectionTree::Refill() {
    if (images.empty()) {
        for (int image = 0; image < kImageCount; image += 2) {
            QIcon icon(Picture(image));
            icon.addPixmap(Picture(image + 1), QIcon::Selected);
            images.push_back(icon);
        }
    }
    const OpenFolders old = FindOpenFolders();
    RemoveItems();
    clear();
    const CollectionSnapshot collection(QString::fromLatin1(kCollectionRoot));
    // By the collection's index; a folder is never left out, so every parent is here.
    std::vector<QTreeWidgetItem*> added(collection.Size(), nullptr);
    // The old record each item matches, by the collection's index; the folders to open again.
    std::vector<size_t> matched(collection.Size(), OpenFolders::kNone);
    std::vector<QTreeWidgetItem*> reopen;
    QTreeWidgetItem* top = nullptr;
    collection.VisitDepthFirst([&](const CollectionSnapshot::Item& item, size_t index, const QString&) {
        const int image = ImageOf(item.key, index == 0);
        if (image < 0)
            return;
        added[index] = Insert(item.name, item.key, image, index == 0 ? nullptr : added[item.parent]);
        if (index == 0) {
            top = added[index];
            matched[index] = old.open.empty() ? OpenFolders::kNone : 0;
            return;
        }
        if (matched[item.parent] != OpenFolders::kNone)
            matched[index] = old.Match(matched[item.parent], item.name);
        if (old.WasOpen(matched[index]))
            reopen.push_back(added[index]);
    });
    // Filled before it is shown: the view hears of one item, not of every one.
    if (top) {
        insertTopLevelItem(0, top);
        top->setExpanded(true);
        ExpandTopDown(reopen);
    }
}

CollectionTree::OpenFolders CollectionTree::FindOpenFolders() const {
    OpenFolders folders;
    for (size_t number = 0; number < items.size(); ++number) {
        const Item& item = *items[number];
        folders.open.push_back(item.treeItem->isExpanded());
        if (const QTreeWidgetItem* parent = item.treeItem->parent())
            folders.numbers.emplace(std::pair(parent->data(0, Qt::UserRole).toULongLong(), item.name),
                                    number);
    }
    return folders;
}

// The image number of an item's picture; -1 when the tree leaves it out.
int CollectionTree::ImageOf(const SiblingKey& key, bool top) const {
    switch (key.type) {
    case ItemType::Folder:
        return top ? kCollectionImage : kFolderImage;
    case ItemType::Camera:
        return foldersOnly ? -1 : kCameraImage;
    case ItemType::CameraSwitch:
        return foldersOnly || noSwitches ? -1 : kCameraSwitchImage;
    case ItemType::LiveSite:
        return foldersOnly ? -1 : kLiveSiteImage;
    case ItemType::None:
        break;
    }
    return -1;
}

QTreeWidgetItem* CollectionTree::Insert(const QString& name, const SiblingKey& key, int image,
                                        QTreeWidgetItem* parent) {
    auto* treeItem = new QTreeWidgetItem;
    treeItem->setText(0, key.name);
    treeItem->setIcon(0, images.at(image / 2));
    treeItem->setData(0, Qt::UserRole, static_cast<qulonglong>(items.size()));
    if (checkBoxes) {
        treeItem->setCheckState(0, Qt::Unchecked);
        // Only the tree toggles it (a tap, Space), with its subtree and ancestors: the view's own
        // toggle on a release would undo a tap.
        treeItem->setFlags(treeItem->flags() & ~Qt::ItemIsUserCheckable);
    }
    if (parent) {
        int at = parent->childCount();
        for (int i = 0; i < parent->childCount(); ++i) {
            if (GoesBefore(key, RecordOf(parent->child(i))->key)) {
                at = i;
                break;
            }
        }
        parent->insertChild(at, treeItem);
    }
    items.push_back(std::make_unique<Item>(Item{name, key, treeItem, false}));
    return treeItem;
}

// A tree item frees its children by recursion: the items go out of the view at once, then one
// by one, each after everything below it, so that a tree of any depth cannot exhaust the stack.
// Closed first, the view forgets its open folders at once; it would otherwise look above each
// of them for the item that goes.
void CollectionTree::RemoveItems() {
    if (topLevelItemCount() > 0) {
        collapseAll();
        takeTopLevelItem(0);
    }
    for (auto item = items.rbegin(); item != items.rend(); ++item)
        delete (*item)->treeItem;
    items.clear();
}

// Down from the root, one name at a time, among the children of the item found so far.
CollectionTree::Item* CollectionTree::Find(const QString& path) const {
    if (items.empty() || !path.startsWith(items.front()->name))
        return nullptr;
    Item* item = items.front().get();
    const QStringView rest = QStringView(path).sliced(item->name.size());
    if (rest.isEmpty())
        return item;
    if (rest.front() != u'/')
        return nullptr;
    for (const QStringView name : rest.sliced(1).tokenize(u'/')) {
        Item* child = nullptr;
        for (int i = 0; i < item->treeItem->childCount() && !child; ++i) {
            Item* candidate = RecordOf(item->treeItem->child(i));
            if (candidate->name == name)
                child = candidate;
        }
        if (!child)
            return nullptr;
        item = child;
    }
    return item;
}

QString CollectionTree::PathOf(const QTreeWidgetItem* treeItem) const {
    std::vector<const QString*> names;
    for (const QTreeWidgetItem* up = treeItem; up; up = up->parent())
        names.push_back(&RecordOf(up)->name);
    QString path = *names.back();
    for (auto name = names.rbegin() + 1; name != names.rend(); ++name) {
        path += u'/';
        path += **name;
    }
    return path;
}

CollectionTree::Item* CollectionTree::RecordOf(const QTreeWidgetItem* treeItem) const {
    return items.at(treeItem->data(0, Qt::UserRole).toULongLong()).get();
}

void CollectionTree::SelectPath(const QString& path) {
    const Item* item = Find(path);
    if (!item)
        return;
    ExpandAbove(item->treeItem);
    setCurrentItem(item->treeItem);
    item->treeItem->setExpanded(true);
    scrollToItem(item->treeItem, QAbstractItemView::PositionAtTop);
}

// The view lays out an opened folder with every open folder below it, by recursion. Left to
// itself, it opens the folders above a selected item from the item up, and the last one lays out
// all the others at once, as deep as the item goes. Opened from the top down, each folder is laid
// out alone, so that an item at any depth can be shown.
void CollectionTree::ExpandAbove(QTreeWidgetItem* treeItem) {
    std::vector<QTreeWidgetItem*> above;
    for (QTreeWidgetItem* up = treeItem->parent(); up; up = up->parent())
        above.push_back(up);
    ExpandTopDown({above.rbegin(), above.rend()});
}

// Each folder after the folders above it.
void CollectionTree::ExpandTopDown(const std::vector<QTreeWidgetItem*>& folders) {
    executeDelayedItemsLayout();
    for (QTreeWidgetItem* folder : folders)
        folder->setExpanded(true);
}

bool CollectionTree::SelectedPath(QString& path) const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    if (selected.isEmpty())
        return false;
    path = PathOf(selected.front());
    return true;
}

bool CollectionTree::NextSibling(const QString& path, QString& next) const {
    return Sibling(path, 1, next);
}

bool CollectionTree::PreviousSibling(const QString& path, QString& previous) const {
    return Sibling(path, -1, previous);
}

bool CollectionTree::Sibling(const QString& path, int step, QString& sibling) const {
    const Item* item = Find(path);
    if (!item)
        return false;
    QTreeWidgetItem* parent = item->treeItem->parent();
    const int at =
        (parent ? parent->indexOfChild(item->treeItem) : indexOfTopLevelItem(item->treeItem)) + step;
    const QTreeWidgetItem* neighbour = parent ? parent->child(at) : topLevelItem(at);
    if (!neighbour)
        return false;
    sibling = PathOf(neighbour);
    return true;
}

void CollectionTree::CheckPath(const QString& path) {
    const Item* item = Find(path);
    if (!item)
        return;
    SetChecked(item->treeItem, true);
    PropagateUp(item->treeItem, true);
}

void CollectionTree::ToggleCheck(const QString& path) {
    if (const Item* item = Find(path))
        Toggle(item->treeItem);
}

bool CollectionTree::IsChecked(const QString& path) const {
    const Item* item = Find(path);
    return item && item->checked;
}

QStringList CollectionTree::CheckedPaths() const {
    QStringList paths;
    for (const auto& item : items) {
        if (item->checked)
            paths.append(PathOf(item->treeItem));
    }
    return paths;
}

void CollectionTree::SetChecked(QTreeWidgetItem* treeItem, bool checked) {
    RecordOf(treeItem)->checked = checked;
    if (checkBoxes)
        treeItem->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void CollectionTree::SetSubtreeChecked(QTreeWidgetItem* treeItem, bool checked) {
    // A list of those still to visit, not recursion: a subtree of any depth.
    std::vector<QTreeWidgetItem*> pending{treeItem};
    while (!pending.empty()) {
        QTreeWidgetItem* parent = pending.back();
        pending.pop_back();
        for (int i = 0; i < parent->childCount(); ++i) {
            SetChecked(parent->child(i), checked);
            pending.push_back(parent->child(i));
        }
    }
}

void CollectionTree::PropagateUp(QTreeWidgetItem* treeItem, bool checked) {
    for (QTreeWidgetItem* ancestor = treeItem->parent(); ancestor; ancestor = ancestor->parent()) {
        if (!checked) {
            bool keepsChecked = false;
            for (int i = 0; i < ancestor->childCount() && !keepsChecked; ++i) {
                keepsChecked = RecordOf(ancestor->child(i))->checked;
            }
            if (keepsChecked)
                return;
        }
        SetChecked(ancestor, checked);
    }
}

void CollectionTree::Toggle(QTreeWidgetItem* treeItem) {
    const bool checked = !RecordOf(treeItem)->checked;
    SetChecked(treeItem, checked);
    SetSubtreeChecked(treeItem, checked);
    PropagateUp(treeItem, checked);
}

QRect CollectionTree::CheckBoxRect(const QString& path) const {
    const Item* item = Find(path);
    return item && checkBoxes ? SpotRect(item->treeItem, Spot::CheckBox) : QRect();
}

QRect CollectionTree::SpotRect(QTreeWidgetItem* treeItem, Spot spot) const {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualItemRect(treeItem);
    option.features = QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    if (checkBoxes)
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
    option.icon = treeItem->icon(0);
    option.text = treeItem->text(0);
    option.decorationSize = iconSize();
    const QStyle* itemStyle = style();
    switch (spot) {
    case Spot::CheckBox:
        return itemStyle->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
    case Spot::Picture:
        return itemStyle->subElementRect(QStyle::SE_ItemViewItemDecoration, &option, this);
    case Spot::Label: {
        // The text's cell reaches to the right edge; only the label itself counts.
        QRect label = itemStyle->subElementRect(QStyle::SE_ItemViewItemText, &option, this);
        const int margin = itemStyle->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
        label.setWidth(std::min(label.width(), fontMetrics().horizontalAdvance(option.text) + 2 * margin));
        return label;
    }
    case Spot::None:
    case Spot::Elsewhere:
        break;
    }
    return QRect();
}

CollectionTree::Spot CollectionTree::HitTest(const QPoint& point, QTreeWidgetItem** hit) const {
    *hit = itemAt(point);
    if (!*hit)
        return Spot::None;
    for (const Spot spot : {Spot::CheckBox, Spot::Picture, Spot::Label}) {
        if ((spot != Spot::CheckBox || checkBoxes) && SpotRect(*hit, spot).contains(point))
            return spot;
    }
    return Spot::Elsewhere;
}

bool CollectionTree::OnTap(const QPoint& point) {
    QTreeWidgetItem* hit = nullptr;
    if (HitTest(point, &hit) != Spot::CheckBox)
        return false;
    Toggle(hit);
    return true;
}

void CollectionTree::OpenOnTap(const QPoint& point) {
    QTreeWidgetItem* hit = nullptr;
    const Spot spot = HitTest(point, &hit);
    if (spot == Spot::CheckBox || spot == Spot::Picture || spot == Spot::Label)
        PostCommand(openTarget, kOpenCommand);
}

void CollectionTree::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && OnTap(event->position().toPoint())) {
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void CollectionTree::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint point = event->position().toPoint();
        OpenOnTap(point);
        // The second tap of a double tap on a check box toggles it again, as a tap would.
        if (OnTap(point)) {
            event->accept();
            return;
        }
    }
    QTreeWidget::mouseDoubleClickEvent(event);
}

void CollectionTree::keyPressEvent(QKeyEvent* event) {
    if (checkBoxes && event->key() == Qt::Key_Space && currentItem()) {
        Toggle(currentItem());
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}
