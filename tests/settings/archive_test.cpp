#include "settings/archive.h"
#include "settings/node.h"

#include "tests/support/temporarydataroot.h"

#include <QFile>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

QByteArray ReadTestFile(const QString& name) {
    QFile file(TestDataFile("settings/" + name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

QByteArray Store(const Node& node) {
    ArchiveWriter writer;
    node.Serialize(writer);
    return writer.Bytes();
}

bool Load(Node& node, const QByteArray& bytes) {
    ArchiveReader reader(bytes);
    return node.Serialize(reader);
}

TEST(ArchiveTest, TheFormatExampleIsWrittenAndReadByteForByte) {
    Node node;
    node.SetValue("/View", Data());
    node.SetValue("/View/AutoSwitch", Data("true"));
    const QByteArray expected = ReadTestFile("example.arc");
    EXPECT_EQ(Store(node).toHex(' '), expected.toHex(' '));

    Node loaded;
    ASSERT_TRUE(Load(loaded, expected));
    EXPECT_EQ(loaded.GetPath().Text(), "/");
    EXPECT_EQ(loaded.GetValue("/View/AutoSwitch").GetText(), "true");
    EXPECT_EQ(Store(loaded), expected);
}

TEST(ArchiveTest, SingleByteStringFormIsReadToo) {
    Node loaded;
    ASSERT_TRUE(Load(loaded, ReadTestFile("example-ansi.arc")));
    EXPECT_EQ(loaded.GetValue("/View/AutoSwitch").GetText(), "true");
    EXPECT_EQ(Store(loaded), ReadTestFile("example.arc")); // written back in the Unicode form
}

TEST(ArchiveTest, ACollectionRoundTripsWithItsCacheBits) {
    const QByteArray original = ReadTestFile("collection.arc");
    Node node;
    ASSERT_TRUE(Load(node, original));
    EXPECT_EQ(node.GetValue("/View/AutoSwitch").Flags(), 0x110u);
    EXPECT_EQ(node.GetValue("/CameraCollection/Office/Yard/Port").GetInt(), 8080);
    EXPECT_EQ(Store(node), original);
}

TEST(ArchiveTest, LengthFormsOfLongTexts) {
    auto stored = [](int length) {
        ArchiveWriter writer;
        writer.WriteString(QString(length, QChar('a')));
        return writer.Bytes();
    };
    EXPECT_EQ(stored(254).left(4).toHex(), "fffeff"
                                           "fe");
    EXPECT_EQ(stored(255).left(6).toHex(), "fffeff"
                                           "ff"
                                           "ff00");
    EXPECT_EQ(stored(65533).left(6).toHex(), "fffeff"
                                             "ff"
                                             "fdff");
    EXPECT_EQ(stored(65534).left(10).toHex(), "fffeff"
                                              "ff"
                                              "ffff"
                                              "feff0000");
    EXPECT_EQ(stored(0).toHex(), "fffeff00");
    for (int length : {254, 255, 65534, 70000}) {
        const QByteArray bytes = stored(length);
        ArchiveReader reader(bytes);
        QString text;
        ASSERT_TRUE(reader.ReadString(text)) << length;
        EXPECT_EQ(text.size(), length);
        EXPECT_EQ(reader.Remaining(), 0);
    }
}

TEST(ArchiveTest, CachedReadingsAreStoredAsTheyStand) {
    Node node;
    Data value("1");
    value.GetInt();
    value.GetBool();
    node.SetValue("/K", value);
    Node loaded;
    ASSERT_TRUE(Load(loaded, Store(node)));
    const Data back = loaded.GetValue("/K");
    EXPECT_EQ(back.Flags(), 0x111u);
    EXPECT_EQ(back.StoredInt(), 1);
    EXPECT_TRUE(back.StoredBool());
}

TEST(ArchiveTest, TreeWithoutRootAndLoadsOverAnExistingRoot) {
    Node empty;
    const QByteArray bytes = Store(empty);
    EXPECT_EQ(bytes.toHex(), "fffeff012f00"
                             "00000000");

    Node target;
    target.SetValue("/Old", Data(1));
    ASSERT_TRUE(Load(target, bytes)); // hasRoot 0 keeps what was there
    EXPECT_TRUE(target.Exists("/Old"));

    ASSERT_TRUE(Load(target, ReadTestFile("example.arc"))); // hasRoot 1 replaces it all
    EXPECT_FALSE(target.Exists("/Old"));
    EXPECT_TRUE(target.Exists("/View/AutoSwitch"));
}

TEST(ArchiveTest, ChildrenComeBackInStoredOrderAndUnicodeSurvives) {
    Node node;
    for (const QString& name : {QString("zeta"), QString("Alpha"), QString::fromUtf8("Kamera Süd 東")}) {
        node.SetValue(Path::Join("/CameraCollection", Path(name)), Data(name));
    }
    Node loaded;
    ASSERT_TRUE(Load(loaded, Store(node)));
    QStringList names;
    ChildIterator it = loaded.GetFirstChild("/CameraCollection");
    QString name;
    Data value;
    while (loaded.GetNextChild(it, name, value))
        names.append(value.GetText());
    EXPECT_EQ(names, QStringList({"zeta", "Alpha", QString::fromUtf8("Kamera Süd 東")}));
}

TEST(ArchiveTest, ATreeOfAnyDepthThatCanBeSetIsReadBack) {
    // The deepest path a command line can carry: every level a one-letter name.
    constexpr int kLevels = 60000;
    QString path;
    for (int level = 0; level < kLevels; ++level)
        path += QStringLiteral("/F");
    Node node;
    node.SetValue(path + "/Name", Data("x"));
    const QByteArray bytes = Store(node);

    Node loaded;
    ASSERT_TRUE(Load(loaded, bytes));
    EXPECT_EQ(loaded.GetValue(path + "/Name").GetText(), "x");
    int entries = 0;
    qsizetype longest = 0;
    loaded.ForEachEntry([&](const QString& entryPath, const Data&) {
        ++entries;
        longest = std::max(longest, entryPath.size());
    });
    EXPECT_EQ(entries, kLevels + 2); // the root, the levels and Name
    EXPECT_EQ(longest, path.size() + 5);
    loaded.Delete(path.left(2)); // the whole chain goes at once
    EXPECT_FALSE(loaded.Exists("/F"));
}

} // namespace
