// The collection tree control: what it lists and in which order, its pictures, selection by
// path, sibling steps, check boxes with their propagation, and taps.

#include "collection/collectiontree.h"

#include "platform/ui/messages.h"
#include "tests/collection/collectionfixture.h"

#include <QCoreApplication>
#include <QImage>
#include <QTest>

#include <vector>

namespace {

#include "collection/icons/camera.xpm"
#include "collection/icons/camera_selected.xpm"
#include "collection/icons/collection.xpm"
#include "collection/icons/folder.xpm"

// The commands posted to a window.
class CommandSink : public QObject {
  public:
    bool event(QEvent* event) override {
        if (event->type() != WindowMessageEvent::kType)
            return QObject::event(event);
        const auto* message = static_cast<WindowMessageEvent*>(event);
        if (message->message == WM_COMMAND)
            commands.push_back(static_cast<int>(message->wParam));
        return true;
    }
    std::vector<int> commands;
};

QImage Drawn(const QIcon& icon, QIcon::Mode mode = QIcon::Normal) {
    return icon.pixmap(16, 16, mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage Expected(const char* const* xpm) {
    QPixmap picture(xpm);
    picture.setMask(picture.createMaskFromColor(Qt::white));
    return picture.toImage().convertToFormat(QImage::Format_ARGB32);
}

class CollectionTreeTest : public CollectionTest {
  protected:
    void SetUp() override {
        CollectionTest::SetUp();
        tree.resize(320, 480);
    }

    // The texts of the children of the listed item, as shown.
    QStringList Shown(const QString& path) {
        tree.SelectPath(path);
        QStringList texts;
        const QTreeWidgetItem* item = tree.currentItem();
        for (int i = 0; item && i < item->childCount(); ++i)
            texts.append(item->child(i)->text(0));
        return texts;
    }
    QTreeWidgetItem* ItemOf(const QString& path) {
        tree.SelectPath(path);
        QString selected;
        return tree.SelectedPath(selected) && selected == path ? tree.currentItem() : nullptr;
    }
    void ShowTree() {
        tree.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    }
    QPoint LabelPoint(const QString& path) {
        const QRect row = tree.visualItemRect(ItemOf(path));
        return QPoint(tree.CheckBoxRect(path).right() + 30, row.center().y());
    }

    CollectionTree tree;
};

TEST_F(CollectionTreeTest, EmptyCollectionShowsTheRootWithItsPicture) {
    tree.Refill();
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    const QTreeWidgetItem* root = tree.topLevelItem(0);
    EXPECT_EQ(root->text(0), "Cameras");
    EXPECT_EQ(root->childCount(), 0);
    EXPECT_EQ(Drawn(root->icon(0)), Expected(collection_xpm));
}

TEST_F(CollectionTreeTest, ItemsShowTheirKindsPictureAndTheNextWhileSelected) {
    AddItem("/CameraCollection", "Door", "Camera");
    AddItem("/CameraCollection", "Office", "Folder");
    tree.Refill();
    const QTreeWidgetItem* door = ItemOf("/CameraCollection/Door");
    ASSERT_NE(door, nullptr);
    EXPECT_EQ(Drawn(door->icon(0)), Expected(camera_xpm));
    EXPECT_EQ(Drawn(door->icon(0), QIcon::Selected), Expected(camera_selected_xpm));
    EXPECT_EQ(Drawn(ItemOf("/CameraCollection/Office")->icon(0)), Expected(folder_xpm));
    // White is the background, not part of the picture.
    EXPECT_EQ(qAlpha(Drawn(door->icon(0)).pixel(0, 0)), 0);
}

TEST_F(CollectionTreeTest, SiblingsStandByTypeThenNameWithoutRegardToCase) {
    AddItem("/CameraCollection", "Site", "LiveSite");
    AddItem("/CameraCollection", "camera b", "Camera");
    AddItem("/CameraCollection", "Camera A", "Camera");
    AddItem("/CameraCollection", "zeta", "Folder");
    AddItem("/CameraCollection", "M", "CameraSwitch");
    AddItem("/CameraCollection", "alpha", "Folder");
    tree.Refill();
    EXPECT_EQ(Shown("/CameraCollection"),
              QStringList({"alpha", "zeta", "M", "Camera A", "camera b", "Site"}));
}

TEST_F(CollectionTreeTest, NodesOfOtherTypesAreLeftOutWithEverythingBelowThem) {
    AddItem("/CameraCollection", "Odd", "Foldr");
    AddItem("/CameraCollection/Odd", "Hidden", "Camera");
    AddItem("/CameraCollection", "Door", "Camera");
    // A switch's member list is never visited, even if it looked like items.
    AddItem("/CameraCollection", "Tour", "CameraSwitch");
    AddItem("/CameraCollection/Tour/Cameras", "Inner", "Camera");
    // An item without a name has the path of its folder: listed, it would be its folder deleted.
    Settings().SetValue("/CameraCollection//Type", Data("Camera"));
    tree.Refill();
    EXPECT_EQ(Shown("/CameraCollection"), QStringList({"Tour", "Door"}));
    EXPECT_EQ(ItemOf("/CameraCollection/Odd/Hidden"), nullptr);
    EXPECT_EQ(ItemOf("/CameraCollection/Tour/Cameras/Inner"), nullptr);
}

TEST_F(CollectionTreeTest, FoldersOnlyListsFoldersAtEveryDepth) {
    AddItem("/CameraCollection", "A", "Folder");
    AddItem("/CameraCollection/A", "B", "Folder");
    AddItem("/CameraCollection/A/B", "C", "Folder");
    AddItem("/CameraCollection/A/B", "Door", "Camera");
    AddItem("/CameraCollection/A", "Tour", "CameraSwitch");
    AddItem("/CameraCollection", "Site", "LiveSite");
    tree.SetFoldersOnly(true);
    tree.Refill();
    EXPECT_EQ(Shown("/CameraCollection"), QStringList({"A"}));
    EXPECT_EQ(Shown("/CameraCollection/A"), QStringList({"B"}));
    EXPECT_EQ(Shown("/CameraCollection/A/B"), QStringList({"C"}));

    // A path that is not listed changes nothing.
    tree.SelectPath("/CameraCollection/A/B/Door");
    QString selected;
    ASSERT_TRUE(tree.SelectedPath(selected));
    EXPECT_EQ(selected, "/CameraCollection/A/B");
}

TEST_F(CollectionTreeTest, NoSwitchesLeavesOutOnlyCameraSwitches) {
    AddItem("/CameraCollection", "Tour", "CameraSwitch");
    AddItem("/CameraCollection", "Door", "Camera");
    AddItem("/CameraCollection", "Site", "LiveSite");
    tree.SetNoSwitches(true);
    tree.Refill();
    EXPECT_EQ(Shown("/CameraCollection"), QStringList({"Door", "Site"}));
}

TEST_F(CollectionTreeTest, SelectionByPathAndSteppingThroughSiblings) {
    AddItem("/CameraCollection", "A", "Camera");
    AddItem("/CameraCollection", "B", "Camera");
    AddItem("/CameraCollection", "Office", "Folder");
    AddItem("/CameraCollection/Office", "Desk", "Camera");
    tree.Refill();
    QString path;
    EXPECT_FALSE(tree.SelectedPath(path));

    tree.SelectPath("/CameraCollection/Office");
    ASSERT_TRUE(tree.SelectedPath(path));
    EXPECT_EQ(path, "/CameraCollection/Office");
    EXPECT_TRUE(tree.currentItem()->isExpanded());

    tree.SelectPath("/CameraCollection/Nowhere");
    ASSERT_TRUE(tree.SelectedPath(path));
    EXPECT_EQ(path, "/CameraCollection/Office");

    // As shown: Office, A, B.
    EXPECT_TRUE(tree.NextSibling("/CameraCollection/Office", path));
    EXPECT_EQ(path, "/CameraCollection/A");
    EXPECT_TRUE(tree.PreviousSibling("/CameraCollection/B", path));
    EXPECT_EQ(path, "/CameraCollection/A");
    EXPECT_FALSE(tree.PreviousSibling("/CameraCollection/Office", path));
    EXPECT_FALSE(tree.NextSibling("/CameraCollection/B", path));
    EXPECT_FALSE(tree.NextSibling("/CameraCollection/Office/Desk", path));
    EXPECT_FALSE(tree.NextSibling("/CameraCollection", path));
    EXPECT_FALSE(tree.NextSibling("/CameraCollection/Nowhere", path));
}

TEST_F(CollectionTreeTest, SelectPathScrollsTheItemToTheTop) {
    for (int i = 0; i < 60; ++i)
        AddItem("/CameraCollection", QString("Cam %1").arg(i, 2, 10, QChar('0')), "Camera");
    tree.resize(200, 160);
    ShowTree();
    tree.Refill();
    tree.SelectPath("/CameraCollection/Cam 40");
    EXPECT_EQ(tree.itemAt(QPoint(40, 2)), tree.currentItem());
}

class CollectionTreeCheckBoxTest : public CollectionTreeTest {
  protected:
    void SetUp() override {
        CollectionTreeTest::SetUp();
        // In the settings tree's child order; on screen sorted.
        AddItem("/CameraCollection", "Yard", "Camera");
        AddItem("/CameraCollection", "Office", "Folder");
        AddItem("/CameraCollection/Office", "Door", "Camera");
        AddItem("/CameraCollection/Office", "Desk", "Camera");
        AddItem("/CameraCollection/Office", "Back", "LiveSite");
        AddItem("/CameraCollection/Office", "Store", "Folder");
        AddItem("/CameraCollection/Office/Store", "Shelf", "Camera");
        AddItem("/CameraCollection", "Gate", "Camera");
        tree.SetCheckBoxes(true);
        tree.SetNoSwitches(true);
        tree.Refill();
    }
    static QString P(const char* relative) { return QString("/CameraCollection/") + relative; }
};

TEST_F(CollectionTreeCheckBoxTest, CheckingAFolderChecksEverythingBelowItAndAbove) {
    tree.ToggleCheck(P("Office"));
    EXPECT_EQ(tree.CheckedPaths(),
              QStringList({"/CameraCollection", P("Office"), P("Office/Door"), P("Office/Desk"),
                           P("Office/Back"), P("Office/Store"), P("Office/Store/Shelf")}));
    EXPECT_EQ(ItemOf(P("Office/Store/Shelf"))->checkState(0), Qt::Checked);
    EXPECT_EQ(ItemOf(P("Yard"))->checkState(0), Qt::Unchecked);
}

TEST_F(CollectionTreeCheckBoxTest, AFolderStaysCheckedWhileAnyChildIsChecked) {
    tree.ToggleCheck(P("Office"));
    tree.ToggleCheck(P("Office/Door"));
    EXPECT_TRUE(tree.IsChecked(P("Office")));
    EXPECT_FALSE(tree.IsChecked(P("Office/Door")));

    for (const char* item : {"Office/Desk", "Office/Back"})
        tree.ToggleCheck(P(item));
    EXPECT_TRUE(tree.IsChecked(P("Office"))) << "the sub-folder is still checked";
    tree.ToggleCheck(P("Office/Store/Shelf"));
    EXPECT_TRUE(tree.CheckedPaths().isEmpty()) << tree.CheckedPaths().join(", ").toStdString();
    EXPECT_EQ(ItemOf("/CameraCollection")->checkState(0), Qt::Unchecked);
}

TEST_F(CollectionTreeCheckBoxTest, UncheckingStopsAtTheFirstFolderThatKeepsACheckedChild) {
    tree.ToggleCheck(P("Gate"));
    tree.ToggleCheck(P("Office/Store/Shelf"));
    tree.ToggleCheck(P("Office/Store/Shelf"));
    EXPECT_FALSE(tree.IsChecked(P("Office/Store")));
    EXPECT_FALSE(tree.IsChecked(P("Office")));
    EXPECT_TRUE(tree.IsChecked("/CameraCollection")) << "Gate is still checked";
}

TEST_F(CollectionTreeCheckBoxTest, CheckPathChecksTheAncestorsButNotTheDescendants) {
    tree.CheckPath(P("Office/Store"));
    EXPECT_EQ(tree.CheckedPaths(), QStringList({"/CameraCollection", P("Office"), P("Office/Store")}));
    tree.CheckPath(P("Nowhere"));
    EXPECT_EQ(tree.CheckedPaths().size(), 3);
}

TEST_F(CollectionTreeCheckBoxTest, CheckedPathsFollowTheSettingsOrderNotTheScreen) {
    for (const char* item : {"Gate", "Office/Desk", "Yard", "Office/Door"})
        tree.ToggleCheck(P(item));
    EXPECT_EQ(tree.CheckedPaths(), QStringList({"/CameraCollection", P("Yard"), P("Office"), P("Office/Door"),
                                                P("Office/Desk"), P("Gate")}));
}

TEST_F(CollectionTreeCheckBoxTest, TappingTheCheckBoxTogglesItAndTheLabelDoesNot) {
    ShowTree();
    const QRect box = tree.CheckBoxRect(P("Gate"));
    ASSERT_FALSE(box.isEmpty());
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, box.center());
    EXPECT_TRUE(tree.IsChecked(P("Gate")));
    EXPECT_EQ(ItemOf(P("Gate"))->checkState(0), Qt::Checked);

    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, LabelPoint(P("Yard")));
    EXPECT_FALSE(tree.IsChecked(P("Yard")));
    QString selected;
    ASSERT_TRUE(tree.SelectedPath(selected));
    EXPECT_EQ(selected, P("Yard")) << "a tap on the label selects";

    QTest::keyClick(&tree, Qt::Key_Space);
    EXPECT_TRUE(tree.IsChecked(P("Yard"))) << "Space toggles the current item";
    // The box of the item tapped before: toggled once, shown as it is kept.
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.CheckBoxRect(P("Yard")).center());
    EXPECT_FALSE(tree.IsChecked(P("Yard")));
    EXPECT_EQ(ItemOf(P("Yard"))->checkState(0), Qt::Unchecked);
}

TEST_F(CollectionTreeTest, DoubleTapOnAnItemPostsOpenToTheMainWindow) {
    AddItem("/CameraCollection", "Door", "Camera");
    tree.Refill();
    ShowTree();
    CommandSink mainWindow;
    tree.SetOpenTarget(&mainWindow);
    const QRect row = tree.visualItemRect(ItemOf("/CameraCollection/Door"));

    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, QPoint(row.left() + 30, row.center().y()));
    QCoreApplication::sendPostedEvents(&mainWindow);
    EXPECT_EQ(mainWindow.commands, std::vector<int>({kOpenCommand}));

    // Right of the label is no hit.
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, QPoint(row.right() - 4, row.center().y()));
    QCoreApplication::sendPostedEvents(&mainWindow);
    EXPECT_EQ(mainWindow.commands.size(), 1u);
}

TEST_F(CollectionTreeTest, RefillForgetsTheOldItems) {
    AddItem("/CameraCollection", "Door", "Camera");
    tree.SetCheckBoxes(true);
    tree.Refill();
    tree.CheckPath("/CameraCollection/Door");
    Settings().Delete("/CameraCollection/Door");
    tree.Refill();
    EXPECT_TRUE(tree.CheckedPaths().isEmpty());
    EXPECT_EQ(ItemOf("/CameraCollection/Door"), nullptr);
}

TEST_F(CollectionTreeTest, RefillKeepsOpenTheFoldersThatWereOpen) {
    AddItem("/CameraCollection", "Office", "Folder");
    AddItem("/CameraCollection/Office", "Store", "Folder");
    AddItem("/CameraCollection/Office/Store", "Shelf", "Folder");
    AddItem("/CameraCollection/Office/Store/Shelf", "Box", "Camera");
    ShowTree();
    tree.Refill();
    // Found by their names, as selecting an item would open it.
    const auto listed = [this](const char* name) {
        const QList<QTreeWidgetItem*> found = tree.findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        return found.size() == 1 ? found[0] : nullptr;
    };
    listed("Office")->setExpanded(true);
    listed("Store")->setExpanded(true);
    AddItem("/CameraCollection/Office/Store", "Door", "Camera");
    tree.Refill();
    const struct {
        const char* name;
        bool open;
    } folders[] = {{"Office", true}, {"Store", true}, {"Shelf", false}};
    for (const auto& folder : folders) {
        ASSERT_NE(listed(folder.name), nullptr) << folder.name;
        EXPECT_EQ(listed(folder.name)->isExpanded(), folder.open) << folder.name;
    }
    EXPECT_EQ(Shown("/CameraCollection/Office/Store"), QStringList({"Shelf", "Door"}));
}

} // namespace
