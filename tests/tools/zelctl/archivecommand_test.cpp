// zelctl archive, run as a program the way scripts use it.

#include "settings/archive.h"
#include "settings/archivefile.h"
#include "settings/node.h"

#include "tests/support/filesystemfaults.h"
#include "tests/support/temporarydataroot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

struct Outcome {
    int status;
    QString out;
    QString err;
};

void StartZelctl(QProcess& process, const QStringList& arguments) {
    process.start(QStringLiteral(ZELCTL_PATH), QStringList{"archive"} + arguments);
}

Outcome Finish(QProcess& process) {
    EXPECT_TRUE(process.waitForFinished(20000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

Outcome Zelctl(const QStringList& arguments) {
    QProcess process;
    StartZelctl(process, arguments);
    return Finish(process);
}

class ZelctlArchiveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QFile golden(TestDataFile("settings/collection.arc"));
        ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
        original = golden.readAll();
        root.WriteFile("c.arc", original);
        file = root.File("c.arc");
    }

    TemporaryDataRoot root;
    QByteArray original;
    QString file;
};

TEST_F(ZelctlArchiveTest, DumpListsEveryEntryDepthFirst) {
    const Outcome run = Zelctl({"dump", file});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 10);
    EXPECT_EQ(lines[0], "path\t/");
    EXPECT_EQ(lines[1], "\t0x0\t0\t0\t"); // the root entry
    EXPECT_EQ(lines[2], "/View\t0x0\t0\t0\t");
    EXPECT_TRUE(lines.contains("/View/AutoSwitch\t0x110\t0\t1\ttrue"));
    EXPECT_TRUE(lines.contains("/View/Rotation\t0x1\t270\t0\t"));
    EXPECT_TRUE(lines.contains("/CameraCollection/Office/Yard/Port\t0x1\t8080\t0\t"));
    const qsizetype folder = lines.indexOf(QRegularExpression("^/CameraCollection/Office\t.*"));
    const qsizetype camera = lines.indexOf(QRegularExpression("^/CameraCollection/Office/Door\t.*"));
    EXPECT_GE(folder, 0);
    EXPECT_LT(folder, camera);
    QProcess full; // a dump that cannot be written out is a failure
    full.setStandardOutputFile("/dev/full");
    StartZelctl(full, {"dump", file});
    EXPECT_EQ(Finish(full).status, 2);
}

TEST_F(ZelctlArchiveTest, TextIsEscapedSoThatOneEntryIsOneLine) {
    ASSERT_EQ(Zelctl({"set", file, "/Note", "a\tb\nc\\d\re"}).status, 0);
    EXPECT_TRUE(Zelctl({"dump", file}).out.contains("/Note\t0x10\t0\t0\ta\\tb\\nc\\\\d\\re\n"));
}

TEST_F(ZelctlArchiveTest, GetSetAndDeleteWithTheirExitStatus) {
    EXPECT_EQ(Zelctl({"get", file, "/CameraCollection/Office/Door/Model"}).out, "Cedar\n");
    EXPECT_EQ(Zelctl({"get", file, "/View/AutoSwitch", "--bool"}).out, "true\n");
    EXPECT_EQ(Zelctl({"get", file, "/CameraCollection/Office/Yard/Port", "--int"}).out, "8080\n");
    EXPECT_EQ(Zelctl({"get", file, "/No/Such"}).status, 1);

    ASSERT_EQ(Zelctl({"set", file, "/View/Rotation", "90", "--int"}).status, 0);
    ASSERT_EQ(Zelctl({"set", file, "/View/ActualSize", "true", "--bool"}).status, 0);
    Node node;
    ASSERT_EQ(LoadArchiveFile(node, file).status, LoadStatus::Loaded);
    EXPECT_EQ(node.GetValue("/View/Rotation").Flags(), 0x1u);
    EXPECT_EQ(node.GetValue("/View/Rotation").GetInt(), 90);
    EXPECT_TRUE(node.GetValue("/View/ActualSize").GetBool());

    EXPECT_EQ(Zelctl({"delete", file, "/CameraCollection/Office"}).status, 0);
    EXPECT_EQ(Zelctl({"get", file, "/CameraCollection/Office/Door/Model"}).status, 1);
    EXPECT_EQ(Zelctl({"delete", file, "/CameraCollection/Office"}).status, 1);
}

TEST_F(ZelctlArchiveTest, BadArgumentsAndValuesChangeNothing) {
    EXPECT_EQ(Zelctl({"set", file, "/View/Rotation", "ninety", "--int"}).status, 2);
    EXPECT_EQ(Zelctl({"set", file, "/View/Rotation", "maybe", "--bool"}).status, 2);
    EXPECT_EQ(Zelctl({"frobnicate", file}).status, 2);
    EXPECT_EQ(Zelctl({"get", file}).status, 2);
    EXPECT_EQ(Zelctl({"init", file, "--settings"}).status, 2); // exists; needs --force
    EXPECT_EQ(root.ReadFile("c.arc"), original);
}

TEST_F(ZelctlArchiveTest, ADamagedFileNamesTheOffsetAndIsNeverWritten) {
    const QByteArray damaged = original.left(300);
    root.WriteFile("c.arc", damaged);
    for (const QStringList& arguments : {QStringList{"dump", file}, QStringList{"set", file, "/X", "1"},
                                         QStringList{"delete", file, "/View"}}) {
        const Outcome run = Zelctl(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.contains(file + ": damaged at byte ")) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    EXPECT_EQ(root.ReadFile("c.arc"), damaged);
    EXPECT_EQ(Zelctl({"dump", root.File("missing.arc")}).status, 2);
}

TEST_F(ZelctlArchiveTest, InitWritesTheInitialSettingsOrTheDefaults) {
    ASSERT_EQ(Zelctl({"init", root.File("s.arc"), "--settings"}).status, 0);
    QFile golden(TestDataFile("settings/initial-settings.arc"));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    EXPECT_EQ(root.ReadFile("s.arc"), golden.readAll());

    ASSERT_EQ(Zelctl({"init", root.File("d.arc"), "--defaults"}).status, 0);
    EXPECT_EQ(Zelctl({"get", root.File("d.arc"), "/DefaultValues/Camera/Port", "--int"}).out, "80\n");
    ASSERT_EQ(Zelctl({"init", root.File("d.arc"), "--settings", "--force"}).status, 0);
    EXPECT_EQ(Zelctl({"get", root.File("d.arc"), "/CameraCollection/Name"}).out, "Cameras\n");

    // The demonstration collection: the simulator's demonstration cameras, entered with their models.
    ASSERT_EQ(Zelctl({"init", root.File("demo.arc"), "--demo"}).status, 0);
    EXPECT_EQ(Zelctl({"get", root.File("demo.arc"), "/CameraCollection/Demo Cameras/Damson PTZ/Model"}).out,
              "Damson\n");
    EXPECT_EQ(
        Zelctl({"get", root.File("demo.arc"), "/CameraCollection/Demo Cameras/Alder/Port", "--int"}).out,
        "18401\n");
    EXPECT_EQ(Zelctl({"get", root.File("demo.arc"), "/CameraCollection/Demo Tour/Cameras/Camera_000"}).out,
              "/CameraCollection/Demo Cameras/Alder\n");
    EXPECT_EQ(Zelctl({"get", root.File("demo.arc"), "/CameraCollection/Harbour Live/Type"}).out,
              "LiveSite\n");
}

TEST_F(ZelctlArchiveTest, AFailedWriteLeavesTheFileByteIdentical) {
#if defined(__SANITIZE_THREAD__)
    // Its runtime writes a file of 512 KiB before main, which these limits end with SIGXFSZ.
    GTEST_SKIP() << "a thread-sanitized program cannot start under a file-size limit this small";
#endif
    // A disk that is full from the first byte, half-way through the new file, and at its last byte.
    Node changed;
    ASSERT_EQ(LoadArchiveFile(changed, file).status, LoadStatus::Loaded);
    changed.SetValue("/View/Note", Data(QString(20, 'n')));
    ArchiveWriter writer;
    changed.Serialize(writer);
    const qint64 newSize = writer.Bytes().size();
    for (const qint64 limit : {qint64(0), newSize / 2, newSize - 1}) {
        SCOPED_TRACE(limit);
        QProcess process;
        LimitFileSizeOfChild(process, limit);
        StartZelctl(process, {"set", file, "/View/Note", QString(20, 'n')});
        const Outcome run = Finish(process);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.startsWith("zelctl: " + file +
                                       ": cannot be written, the file is unchanged: writing stopped"))
            << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("(File too large)")) << run.err.toStdString();
        EXPECT_EQ(root.ReadFile("c.arc"), original);
        EXPECT_EQ(QDir(root.Path()).entryList(QDir::Files), QStringList({"c.arc", "c.arc.lock"}));
    }
    QProcess roomy;
    LimitFileSizeOfChild(roomy, newSize);
    StartZelctl(roomy, {"set", file, "/View/Note", QString(20, 'n')});
    EXPECT_EQ(Finish(roomy).status, 0);
    EXPECT_EQ(root.ReadFile("c.arc").size(), newSize);
}

TEST_F(ZelctlArchiveTest, TenSetsAtOnceLeaveTenValues) {
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < 10; ++i) {
        runs.push_back(std::make_unique<QProcess>());
        StartZelctl(*runs.back(),
                    {"set", file, QStringLiteral("/Parallel/Key%1").arg(i), QString::number(i)});
    }
    for (auto& run : runs)
        EXPECT_EQ(Finish(*run).status, 0);
    Node node;
    ASSERT_EQ(LoadArchiveFile(node, file).status, LoadStatus::Loaded);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(node.GetValue(QStringLiteral("/Parallel/Key%1").arg(i)).GetText(), QString::number(i)) << i;
    }
    EXPECT_EQ(node.GetValue("/CameraCollection/Office/Door/Model").GetText(), "Cedar");
}

TEST_F(ZelctlArchiveTest, AFileNamedThroughALinkIsChangedAndTheLinkStays) {
    ASSERT_TRUE(QFile::link("c.arc", root.File("link.arc")));
    ASSERT_EQ(Zelctl({"set", root.File("link.arc"), "/View/X", "1"}).status, 0);
    EXPECT_TRUE(QFileInfo(root.File("link.arc")).isSymLink());
    EXPECT_EQ(Zelctl({"get", file, "/View/X"}).out, "1\n");
    EXPECT_TRUE(QFile::exists(file + ".lock"));
    EXPECT_FALSE(QFile::exists(root.File("link.arc.lock")));
}

TEST_F(ZelctlArchiveTest, ALockFileThatCannotBeCreatedIsNoOtherWriterAtWork) {
    ASSERT_TRUE(QFile::link("gone/c.arc.lock", file + ".lock"));
    const Outcome run = Zelctl({"set", file, "/View/X", "2"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "zelctl: " + file + ": cannot be changed: the lock file '" + file +
                           ".lock' cannot be created (No such file or directory)\n");
}

TEST_F(ZelctlArchiveTest, WhatSetWritesGetReadsAtAnyDepth) {
    QString path = "/CameraCollection";
    for (int level = 1; level <= 110; ++level)
        path += QStringLiteral("/F%1").arg(level);
    ASSERT_EQ(Zelctl({"set", file, path + "/Name", "x"}).status, 0);
    const Outcome get = Zelctl({"get", file, path + "/Name"});
    EXPECT_EQ(get.status, 0) << get.err.toStdString();
    EXPECT_EQ(get.out, "x\n");
}

TEST_F(ZelctlArchiveTest, FileNamesAreShownAsTheyAre) {
    const QString odd = root.File("c%1 %2.arc");
    root.WriteFile("c%1 %2.arc", original.left(300));
    const Outcome run = Zelctl({"get", odd, "/View"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.startsWith("zelctl: " + odd + ": damaged at byte ")) << run.err.toStdString();
}

} // namespace
