// Damaged and hostile archives: every load either succeeds or fails cleanly, leaves the
// handle untouched when it fails, and says where.

#include "settings/archive.h"
#include "settings/node.h"

#include "tests/support/temporarydataroot.h"

#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

#include <random>

namespace {

QByteArray Collection() {
    QFile file(TestDataFile("settings/collection.arc"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

Node Untouched() {
    Node node;
    node.SetValue("/Marker", Data("untouched"));
    return node;
}

void ExpectDamaged(const QByteArray& bytes, qsizetype expectedOffset = -1) {
    Node node = Untouched();
    ArchiveReader reader(bytes);
    EXPECT_FALSE(node.Serialize(reader));
    EXPECT_TRUE(reader.Failed());
    EXPECT_FALSE(reader.ErrorReason().isEmpty());
    EXPECT_GE(reader.ErrorOffset(), 0);
    EXPECT_LE(reader.ErrorOffset(), bytes.size());
    if (expectedOffset >= 0) {
        EXPECT_EQ(reader.ErrorOffset(), expectedOffset);
    }
    EXPECT_EQ(node.GetValue("/Marker").GetText(), "untouched");
    EXPECT_EQ(node.GetPath().Text(), "/");
}

QByteArray U32(uint32_t value) {
    char le[4];
    qToLittleEndian(value, le);
    return QByteArray(le, 4);
}

TEST(ArchiveDamageTest, EveryTruncationIsReportedAndChangesNothing) {
    const QByteArray whole = Collection();
    for (qsizetype size = 0; size < whole.size(); ++size) {
        SCOPED_TRACE(size);
        ExpectDamaged(whole.left(size));
    }
}

TEST(ArchiveDamageTest, RandomByteFlipsNeverCrashOrHalfLoad) {
    const QByteArray whole = Collection();
    std::mt19937 random(20261207);
    int damaged = 0;
    for (int round = 0; round < 4000; ++round) {
        QByteArray bytes = whole;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < flips; ++i) {
            bytes[static_cast<qsizetype>(random() % static_cast<uint32_t>(bytes.size()))] =
                static_cast<char>(random() & 0xFF);
        }
        Node node = Untouched();
        ArchiveReader reader(bytes);
        if (node.Serialize(reader)) {
            // A flip inside a text or number still gives a well-formed tree.
            ArchiveWriter writer;
            node.Serialize(writer);
            EXPECT_FALSE(writer.Bytes().isEmpty());
        } else {
            ++damaged;
            EXPECT_EQ(node.GetValue("/Marker").GetText(), "untouched");
            EXPECT_GE(reader.ErrorOffset(), 0);
        }
    }
    EXPECT_GT(damaged, 1000);
}

TEST(ArchiveDamageTest, ImpossibleLengthsCountsFlagsAndNesting) {
    const QByteArray path = QByteArray::fromHex("fffeff012f00");
    const QByteArray emptyText = QByteArray::fromHex("fffeff00");
    auto entry = [&](uint32_t flags, int32_t children) {
        return emptyText + U32(flags) + U32(0) + emptyText + U32(0) + U32(static_cast<uint32_t>(children));
    };

    // A text that claims four billion characters.
    ExpectDamaged(QByteArray::fromHex("fffeffffffffffffffff") + QByteArray(16, 'x'), 0);
    // A child count that cannot fit in what is left; no allocation for it is made.
    ExpectDamaged(path + U32(1) + entry(0, 0x7FFFFFFF), path.size() + 4 + 20);
    // A value type that does not exist.
    ExpectDamaged(path + U32(1) + entry(0x2, 0), path.size() + 4 + 4);
    // Bytes after the end of the settings.
    ExpectDamaged(path + U32(1) + entry(0x10, 0) + "junk", path.size() + 4 + 24);

    // Nesting far deeper than recursion could follow: each entry holds one child. Cut off inside,
    // it is damaged at the last count; whole, it loads and is stored again byte for byte.
    QByteArray deep = path + U32(1);
    for (int level = 0; level < 200000; ++level)
        deep += entry(0, 1);
    ExpectDamaged(deep, deep.size() - 4);
    deep += entry(0, 0);
    Node deepNode;
    ArchiveReader deepReader(deep);
    ASSERT_TRUE(deepNode.Serialize(deepReader)) << deepReader.ErrorReason().toStdString();
    ArchiveWriter deepWriter;
    deepNode.Serialize(deepWriter);
    EXPECT_TRUE(deepWriter.Bytes() == deep);

    // A negative child count means no children, as in the framework.
    Node node;
    const QByteArray negative = path + U32(1) + entry(0, -5);
    ArchiveReader reader(negative);
    EXPECT_TRUE(node.Serialize(reader));
    int entries = 0;
    node.ForEachEntry([&entries](const QString&, const Data&) { ++entries; });
    EXPECT_EQ(entries, 1);
}

} // namespace
