#include "collection/collectiontree.h"

#include "collection/itemtype.h"

#include "settings/node.h"
#include "settings/settingsstore.h"

#include "platform/ui/messages.h"

#include <QBitmap>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QStyle>

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

struct CollectionTree::Item {
    QString path;
    SiblingKey key;
    QTreeWidgetItem* treeItem = nullptr;
    bool checked = false;
};

CollectionTree::CollectionTree(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(1);
    header()->hide();
    setIconSize(QSize(16, 16));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setRootIsDecorated(true);
}

CollectionTree::~CollectionTree() = default;

void CollectionTree::Refill() {
    if (images.empty()) {
        for (int image = 0; image < kImageCount; image += 2) {
            QIcon icon(Picture(image));
            icon.addPixmap(Picture(image + 1), QIcon::Selected);
            images.push_back(icon);
        }
    }
    clear();
    items.clear();
    AddNode(QString::fromLatin1(kCollectionRoot), nullptr);
    if (topLevelItemCount() > 0)
        topLevelItem(0)->setExpanded(true);
}

void CollectionTree::AddNode(const QString& path, QTreeWidgetItem* parent) {
    const SiblingKey key = ReadSiblingKey(Path(path));
    int image = 0;
    switch (key.type) {
    case ItemType::Folder:
        image = path == QLatin1String(kCollectionRoot) ? kCollectionImage : kFolderImage;
        break;
    case ItemType::Camera:
        if (foldersOnly)
            return;
        image = kCameraImage;
        break;
    case ItemType::CameraSwitch:
        if (foldersOnly || noSwitches)
            return;
        image = kCameraSwitchImage;
        break;
    case ItemType::LiveSite:
        if (foldersOnly)
            return;
        image = kLiveSiteImage;
        break;
    case ItemType::None:
        return;
    }
    Insert(path, key, image, parent);
    if (key.type != ItemType::Folder)
        return;

    QTreeWidgetItem* added = items.back()->treeItem;
    const Node& settings = Settings();
    ChildIterator it = settings.GetFirstChild(Path(path));
    QString name;
    Data value;
    while (settings.GetNextChild(it, name, value))
        AddNode(Path::Join(Path(path), name).Text(), added);
}

void CollectionTree::Insert(const QString& path, const SiblingKey& key, int image, QTreeWidgetItem* parent) {
    auto* treeItem = new QTreeWidgetItem;
    treeItem->setText(0, key.name);
    treeItem->setIcon(0, images.at(image / 2));
    treeItem->setData(0, Qt::UserRole, static_cast<qulonglong>(items.size()));
    if (checkBoxes)
        treeItem->setCheckState(0, Qt::Unchecked);
    if (!parent) {
        insertTopLevelItem(0, treeItem);
    } else {
        int at = parent->childCount();
        for (int i = 0; i < parent->childCount(); ++i) {
            if (GoesBefore(key, RecordOf(parent->child(i))->key)) {
                at = i;
                break;
            }
        }
        parent->insertChild(at, treeItem);
    }
    items.push_back(std::make_unique<Item>(Item{path, key, treeItem, false}));
}

CollectionTree::Item* CollectionTree::Find(const QString& path) const {
    for (const auto& item : items) {
        if (item->path == path)
            return item.get();
    }
    return nullptr;
}

CollectionTree::Item* CollectionTree::RecordOf(const QTreeWidgetItem* treeItem) const {
    return items.at(treeItem->data(0, Qt::UserRole).toULongLong()).get();
}

void CollectionTree::SelectPath(const QString& path) {
    const Item* item = Find(path);
    if (!item)
        return;
    setCurrentItem(item->treeItem);
    item->treeItem->setExpanded(true);
    scrollToItem(item->treeItem, QAbstractItemView::PositionAtTop);
}

bool CollectionTree::SelectedPath(QString& path) const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    if (selected.isEmpty())
        return false;
    path = RecordOf(selected.front())->path;
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
    sibling = RecordOf(neighbour)->path;
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
            paths.append(item->path);
    }
    return paths;
}

void CollectionTree::SetChecked(QTreeWidgetItem* treeItem, bool checked) {
    RecordOf(treeItem)->checked = checked;
    if (checkBoxes)
        treeItem->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void CollectionTree::SetSubtreeChecked(QTreeWidgetItem* treeItem, bool checked) {
    for (int i = 0; i < treeItem->childCount(); ++i) {
        SetChecked(treeItem->child(i), checked);
        SetSubtreeChecked(treeItem->child(i), checked);
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
