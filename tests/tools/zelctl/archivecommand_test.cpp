// zelctl archive, run as a program the way scripts use it.

#include "settings/archivefile.h"
#include "settings/node.h"

#include "tests/support/temporarydataroot.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

struct Outcome {
    int status;
    QString out;
    QString err;
};

Outcome Zelctl(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(ZELCTL_PATH), QStringList{"archive"} + arguments);
    EXPECT_TRUE(process.waitForFinished(10000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
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
    EXPECT_EQ(Zelctl({"get", root.File("demo.arc"), "/CameraCollection/Demo Cameras/Damson PTZ/Model"}).out, "Damson\n");
    EXPECT_EQ(Zelctl({"get", root.File("demo.arc"), "/CameraCollection/Demo Cameras/Alder/Port", "--int"}).out,
              "18401\n");
    EXPECT_EQ(Zelctl({"get", root.File("demo.arc"), "/CameraCollection/Demo Tour/Cameras/Camera_000"}).out,
              "/CameraCollection/Demo Cameras/Alder\n");
    EXPECT_EQ(Zelctl({"get", root.File("demo.arc"), "/CameraCollection/Harbour Live/Type"}).out, "LiveSite\n");
}

} // namespace
