#include "settings/node.h"

#include <QStringList>

#include "tests/support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

bool HasRoot(const Node& node) {
    bool found = false;
    node.ForEachEntry([&found](const QString& path, const Data&) { found = found || path.isEmpty(); });
    return found;
}

QStringList ChildNames(const Node& node, const Path& at) {
    QStringList names;
    ChildIterator it = node.GetFirstChild(at);
    QString name;
    Data value;
    while (!it.IsFinished() && node.GetNextChild(it, name, value))
        names.append(name);
    return names;
}

TEST(NodeTest, MissingEntriesReadEmptyAndAreNotCreated) {
    Node node;
    const Data value = node.GetValue("/No/Such/Path");
    EXPECT_EQ(value.GetText(), "");
    EXPECT_EQ(value.GetInt(), 0);
    EXPECT_FALSE(value.GetBool());
    EXPECT_FALSE(node.Exists("/No/Such/Path"));
    EXPECT_FALSE(node.Exists("/No"));
    EXPECT_FALSE(HasRoot(node)); // reading creates nothing, not even the root
}

TEST(NodeTest, SetValueCreatesTheWayAndPathsAreExact) {
    Node node;
    node.SetValue("/A/B/K", Data(5));
    EXPECT_TRUE(HasRoot(node));
    EXPECT_EQ(node.GetValue("/A").Flags(), 0u);
    EXPECT_EQ(node.GetValue("/A/B/K").GetText(), "5");
    node.SetValue("/A/B/", Data("folder"));
    EXPECT_EQ(node.GetValue("/A/B").GetText(), "folder");

    node.SetValue("/View/AutoSwitch", Data(true));
    EXPECT_FALSE(node.Exists("/view/autoswitch"));
}

TEST(NodeTest, RelativePathsResolveAgainstTheHandle) {
    Node root;
    root.SetValue("/CameraCollection/Office/Type", Data("Folder"));
    const Node office = root.GetNode("/CameraCollection/Office");
    EXPECT_EQ(office.GetValue("Type").GetText(), "Folder");
    root.SetValue("Type", Data("x")); // a handle at "/" resolves Type to //Type
    EXPECT_TRUE(root.Exists("//Type"));
    EXPECT_FALSE(root.Exists("/Type"));

    Node handle = root.GetNode("/CameraCollection");
    handle.SetPath("Office");
    EXPECT_EQ(handle.GetPath().Text(), "/CameraCollection/Office");
}

TEST(NodeTest, HandlesShareTheirTree) {
    Node first;
    {
        Node second = first;
        second.SetValue("/X", Data("from second"));
        EXPECT_TRUE(second.SharesTreeWith(first));
    }
    EXPECT_EQ(first.GetValue("/X").GetText(), "from second");
    Node other;
    other = first;
    other = other; // assignment to itself changes nothing
    EXPECT_EQ(other.GetValue("/X").GetText(), "from second");
    EXPECT_FALSE(Node().SharesTreeWith(first));
}

TEST(NodeTest, DeleteRemovesTheSubtreeAndTheRootToo) {
    Node node;
    node.SetValue("/A/B", Data(1));
    node.SetValue("/A/C", Data(2));
    node.Delete("/A/B");
    EXPECT_FALSE(node.Exists("/A/B"));
    EXPECT_TRUE(node.Exists("/A/C"));
    node.Delete("/Nothing"); // no effect
    EXPECT_TRUE(node.Exists("/A/C"));
    // The empty path names the root only for a handle whose own path is empty: a relative
    // path is joined to the handle's path ("/" and "" give "//").
    Node rootHandle = node.GetNode("");
    EXPECT_EQ(rootHandle.GetPath().Text(), "//");
}

TEST(NodeTest, ChildrenKeepInsertionOrderAndMovedEntriesGoLast) {
    Node node;
    node.SetValue("/F/c", Data(1));
    node.SetValue("/F/a", Data(2));
    node.SetValue("/F/b", Data(3));
    EXPECT_EQ(ChildNames(node, "/F"), QStringList({"c", "a", "b"}));
    node.Move("/F/c", "/F/c2"); // a rename only
    EXPECT_EQ(ChildNames(node, "/F"), QStringList({"a", "b", "c2"}));
    EXPECT_EQ(node.GetValue("/F/c2").GetInt(), 1);
}

TEST(NodeTest, MoveCreatesTheDestinationAndCarriesTheSubtree) {
    Node node;
    node.SetValue("/P/A", Data("value"));
    node.SetValue("/P/A/Child", Data(7));
    node.Move("/P/A", "/D/E/A");
    EXPECT_FALSE(node.Exists("/P/A"));
    EXPECT_EQ(node.GetValue("/D").Flags(), 0u);
    EXPECT_EQ(node.GetValue("/D/E/A").GetText(), "value");
    EXPECT_EQ(node.GetValue("/D/E/A/Child").GetInt(), 7);

    node.Move("/Missing", "/Z/Missing"); // nothing changes, not even the destination
    EXPECT_FALSE(node.Exists("/Z"));
}

TEST(NodeTest, MoveIntoItsOwnSubtreeOrOfTheRootIsRefused) {
    Node node;
    node.SetValue("/A/B/C", Data(1));
    node.Move("/A", "/A/B/A");
    EXPECT_EQ(node.GetValue("/A/B/C").GetInt(), 1);
    EXPECT_FALSE(node.Exists("/A/B/A"));
    node.Move("", "/X/Root");
    EXPECT_TRUE(node.Exists("/A/B/C"));
}

TEST(NodeTest, UniqueNamesCountUpInTheFolderOnly) {
    Node node;
    EXPECT_EQ(node.MakeUniqueName("/CameraCollection", "Camera"), "Camera");
    node.SetValue("/CameraCollection/Camera/Type", Data("Camera"));
    EXPECT_EQ(node.MakeUniqueName("/CameraCollection", "Camera"), "Camera (1)");
    node.SetValue("/CameraCollection/Camera (1)/Type", Data("Camera"));
    EXPECT_EQ(node.MakeUniqueName("/CameraCollection", "Camera"), "Camera (2)");
    EXPECT_EQ(node.MakeUniqueName("/CameraCollection/Other", "Camera"), "Camera");
    // A name that looks like a placeholder is taken as it is.
    node.SetValue("/CameraCollection/Cam %1/Type", Data("Camera"));
    EXPECT_EQ(node.MakeUniqueName("/CameraCollection", "Cam %1"), "Cam %1 (1)");
}

TEST(NodeTest, TablesSetTextValuesRelativeToTheLastAbsoluteKey) {
    static const TableRow table[] = {
        {"/X", ""}, {"A", "1"}, {"/Y", "2"}, {nullptr, nullptr}, {"/Z", "never"}};
    Node node;
    node.SetFromTable(table);
    EXPECT_EQ(node.GetValue("/X").Flags(), Data::kText);
    EXPECT_EQ(node.GetValue("/X").GetText(), "");
    EXPECT_EQ(node.GetValue("/X/A").GetText(), "1");
    EXPECT_EQ(node.GetValue("/X/A").Flags(), Data::kText);
    EXPECT_EQ(node.GetValue("/Y").GetText(), "2");
    EXPECT_FALSE(node.Exists("/Z"));
}

TEST(NodeTest, IteratorsWalkBothWaysAndSurviveChanges) {
    Node node;
    for (const char* name : {"Camera_000", "Camera_001", "Camera_002"}) {
        node.SetValue(Path::Join("/S/Cameras", name), Data(QString("/C/%1").arg(name)));
    }
    ChildIterator last = node.GetLastChild("/S/Cameras");
    QString name;
    Data value;
    QStringList backwards;
    while (node.GetPrevChild(last, name, value))
        backwards.append(name);
    EXPECT_EQ(backwards, QStringList({"Camera_002", "Camera_001", "Camera_000"}));
    EXPECT_TRUE(last.IsFinished());

    ChildIterator it = node.GetFirstChild("/S/Cameras");
    ASSERT_TRUE(it.Current(name, value));
    EXPECT_EQ(value.GetText(), "/C/Camera_000");
    node.Delete("/S"); // the entry under the iterator goes away
    EXPECT_TRUE(it.IsFinished());
    EXPECT_FALSE(node.GetNextChild(it, name, value));

    EXPECT_TRUE(node.GetFirstChild("/Nowhere").IsFinished());
    EXPECT_TRUE(ChildIterator().IsFinished());
}

} // namespace
