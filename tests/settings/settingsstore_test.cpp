#include "settings/settingsstore.h"

#include "settings/defaults.h"

#include "settings/archive.h"

#include "foundation/log.h"
#include "platform/fs/filelock.h"
#include "tests/support/filesystemfaults.h"
#include "tests/support/temporarydataroot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class SettingsStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Settings() = Node();
        Defaults() = Node();
        DiagLog::Instance().SetConsoleForTest([this](std::string_view text) { console += text; });
    }
    void TearDown() override { DiagLog::Instance().SetConsoleForTest(nullptr); }

    static QByteArray Golden(const QString& name) {
        QFile file(TestDataFile("settings/" + name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    TemporaryDataRoot root;
    std::string console;
};

TEST_F(SettingsStoreTest, FirstStartUsesTheInitialCollection) {
    const LoadResult result = LoadSettings();
    EXPECT_EQ(result.status, LoadStatus::Absent);
    EXPECT_TRUE(Settings().GetValue("/View/AutoSwitch").GetBool());
    EXPECT_EQ(Settings().GetValue("/CameraCollection/Name").GetText(), "Cameras");
    EXPECT_EQ(Settings().GetValue("/View/Rotation").GetInt(), 0);
    EXPECT_FALSE(Settings().Exists("/View/Rotation"));

    QStringList items;
    ChildIterator it = Settings().GetFirstChild("/CameraCollection");
    QString name;
    Data value;
    while (Settings().GetNextChild(it, name, value)) {
        if (Settings().Exists(Path::Join("/CameraCollection", Path(name)).Text() + "/Type"))
            items.append(name);
    }
    EXPECT_EQ(items, QStringList({kDemoHarbourName, kDemoSquareName}));
    EXPECT_EQ(Settings().GetValue("/CameraCollection/Harbour Live/CustomURL").GetText(),
              "http://127.0.0.1:18400/nph-manupdate.cgi");

    // Saving the first-start settings gives exactly the reference file.
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(root.ReadFile("ZelSettings.arc"), Golden("initial-settings.arc"));
}

TEST_F(SettingsStoreTest, DefaultsAreTextButReadAsNumbers) {
    LoadSettings();
    EXPECT_EQ(Defaults().GetValue("/DefaultValues/CameraSwitch/DisplayTime").GetInt(), 5);
    EXPECT_EQ(Defaults().GetValue("/DefaultValues/Camera/Port").GetInt(), 80);
    EXPECT_EQ(Defaults().GetValue("/DefaultValues/Camera/Port").Flags() & Data::kText, Data::kText);
    EXPECT_EQ(Defaults().GetValue("/DefaultValues/CameraURLTempl").GetText(),
              "http://%s:%d/vexo-cgi/mjpg/video.cgi");
    EXPECT_EQ(Defaults().GetValue("/DefaultValues/LiveSite/CustomURL").GetText(), "http://");
}

TEST_F(SettingsStoreTest, AnExistingFileIsLoadedEvenWithAnEmptyCollection) {
    Node stored;
    stored.SetValue("/CameraCollection/Type", Data("Folder"));
    stored.SetValue("/View/Rotation", Data(90));
    Data cached("true");
    cached.GetBool();
    stored.SetValue("/View/AutoSwitch", cached);
    Settings() = stored;
    ASSERT_TRUE(SaveSettings());

    Settings() = Node();
    EXPECT_EQ(LoadSettings().status, LoadStatus::Loaded);
    EXPECT_FALSE(Settings().Exists("/CameraCollection/Name"));
    EXPECT_EQ(Settings().GetValue("/View/Rotation").Flags(), Data::kInt);
    EXPECT_EQ(Settings().GetValue("/View/AutoSwitch").Flags(), Data::kText | Data::kBool);
}

TEST_F(SettingsStoreTest, AFileWithoutRootLeavesTheSettingsEmpty) {
    root.WriteFile("ZelSettings.arc", QByteArray::fromHex("fffeff012f00"
                                                          "00000000"));
    EXPECT_EQ(LoadSettings().status, LoadStatus::Loaded);
    EXPECT_FALSE(Settings().Exists(""));
}

TEST_F(SettingsStoreTest, SavesAreLoggedAndReadableByTheOwnerOnly) {
    LoadSettings();
    ASSERT_TRUE(SaveSettings());
    EXPECT_NE(console.find(":T:ZelPPCApp::SaveSettings - Save  "), std::string::npos);
    const QFileInfo info(root.File("ZelSettings.arc"));
    EXPECT_EQ(info.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther |
                                    QFileDevice::WriteGroup | QFileDevice::WriteOther),
              QFileDevice::Permissions());
    // No temporary file is left beside it, only the writers' lock file.
    EXPECT_EQ(QDir(root.Path()).entryList(QDir::Files),
              QStringList({"ZelSettings.arc", "ZelSettings.arc.lock"}));
}

TEST_F(SettingsStoreTest, ASaveThatCannotOpenTheFileIsSilentAndKeepsTheOldOne) {
    LoadSettings();
    ASSERT_TRUE(QDir(root.Path()).mkdir("ZelSettings.arc")); // a folder where the file should be
    console.clear();
    EXPECT_FALSE(SaveSettings());
    EXPECT_EQ(console.find("Save  "), std::string::npos);
    EXPECT_TRUE(QFileInfo(root.File("ZelSettings.arc")).isDir());
}

TEST_F(SettingsStoreTest, ADamagedFileIsKeptAsideAndTheInitialSettingsAreUsed) {
    const QByteArray golden = Golden("collection.arc");
    const QByteArray damaged = golden.left(golden.size() / 2);
    root.WriteFile("ZelSettings.arc", damaged);

    const LoadResult result = LoadSettings();
    EXPECT_EQ(result.status, LoadStatus::Damaged);
    EXPECT_GT(result.errorOffset, 0);
    EXPECT_LE(result.errorOffset, damaged.size());
    EXPECT_FALSE(result.reason.isEmpty());
    EXPECT_EQ(Settings().GetValue("/CameraCollection/Name").GetText(), "Cameras");
    EXPECT_FALSE(Settings().Exists("/CameraCollection/Office"));
    EXPECT_NE(console.find(":E:LoadSettings - Settings file"), std::string::npos);

    const QStringList kept = QDir(root.Path()).entryList({"ZelSettings.arc.damaged-*"}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(result.keptAs, root.File(kept.front()));
    EXPECT_EQ(root.ReadFile(kept.front()), damaged);
    EXPECT_FALSE(QFile::exists(root.File("ZelSettings.arc")));

    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(root.ReadFile(kept.front()), damaged);
}

TEST_F(SettingsStoreTest, ADamagedFileThatCannotBeMovedAsideIsNeverSavedOver) {
    const QByteArray damaged = Golden("collection.arc").left(100);
    root.WriteFile("ZelSettings.arc", damaged);
    LoadResult result;
    {
        ReadOnlyFolder readOnly(root.Path());
        result = LoadSettings();
    }
    EXPECT_EQ(result.status, LoadStatus::Damaged);
    EXPECT_TRUE(result.keptAs.isEmpty());
    EXPECT_NE(console.find("it could not be moved aside and will not be saved over"), std::string::npos)
        << console;
    EXPECT_EQ(console.find("kept as ''"), std::string::npos);
    EXPECT_EQ(Settings().GetValue("/CameraCollection/Name").GetText(), "Cameras");
    EXPECT_FALSE(SaveSettings());
    EXPECT_EQ(root.ReadFile("ZelSettings.arc"), damaged);
}

TEST_F(SettingsStoreTest, AFifoADeviceOrAFileThatCannotBeOpenedIsNeitherReadNorMovedAsideNorSavedOver) {
    const struct {
        const char* kind;
        QString target; // of the link made under the file's name; empty: a FIFO
        const char* reason;
    } cases[] = {
        {"FIFO", QString(), "not a regular file but a FIFO"},
        {"device", "/dev/zero", "not a regular file but a device"},
        {"loop of links", "ZelSettings.arc", "it cannot be opened (Too many levels of symbolic links)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        TemporaryDataRoot place;
        const QString file = place.File("ZelSettings.arc");
        ASSERT_TRUE(c.target.isEmpty() ? MakeFifo(file) : QFile::link(c.target, file));
        const LoadResult result = LoadSettings();
        EXPECT_EQ(result.status, LoadStatus::Damaged);
        EXPECT_EQ(result.reason, c.reason);
        EXPECT_TRUE(result.keptAs.isEmpty() && (QFileInfo(file).exists() || QFileInfo(file).isSymLink()));
        EXPECT_FALSE(SaveSettings());
    }
}

TEST_F(SettingsStoreTest, AFullDiskLeavesTheOldFileByteForByteAndSaysWhy) {
    LoadSettings();
    ASSERT_TRUE(SaveSettings());
    const QByteArray before = root.ReadFile("ZelSettings.arc");
    Settings().SetValue("/View/Note", Data(QString(2000, 'x'))); // the new file is larger
    ArchiveWriter writer;
    Settings().Serialize(writer);
    const qint64 newSize = writer.Bytes().size();

    // Failing on the first write, in the middle, and at the very last byte.
    for (const qint64 limit : {qint64(0), newSize / 2, newSize - 1}) {
        SCOPED_TRACE(limit);
        console.clear();
        bool saved;
        {
            FileSizeLimit full(limit);
            saved = SaveSettings();
        }
        EXPECT_FALSE(saved);
        EXPECT_EQ(root.ReadFile("ZelSettings.arc"), before);
        EXPECT_EQ(QDir(root.Path()).entryList({"ZelSettings.arc*"}, QDir::Files),
                  QStringList({"ZelSettings.arc", "ZelSettings.arc.lock"}));
        EXPECT_NE(console.find(":E:ZelPPCApp::SaveSettings - Writing '" +
                               root.File("ZelSettings.arc").toStdString() +
                               "' failed, the file is unchanged: writing stopped after"),
                  std::string::npos)
            << console;
        EXPECT_NE(console.find("(File too large)"), std::string::npos) << console;
        EXPECT_EQ(console.find("Unknown error"), std::string::npos);
    }
    // With room again the next save goes through.
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(root.ReadFile("ZelSettings.arc"), writer.Bytes());
}

TEST_F(SettingsStoreTest, ASaveWaitsForAnotherWriterOnlySoLong) {
    LoadSettings();
    ASSERT_TRUE(SaveSettings());
    const QByteArray before = root.ReadFile("ZelSettings.arc");
    Settings().SetValue("/View/Rotation", Data(90));
    SetFileLockWaitMsForTest(200);
    {
        FileLock otherWriter(root.File("ZelSettings.arc"));
        QString reason;
        ASSERT_TRUE(otherWriter.Lock(reason)) << reason.toStdString();
        EXPECT_FALSE(SaveSettings());
        EXPECT_NE(console.find(":E:ZelPPCApp::SaveSettings - '" + root.File("ZelSettings.arc").toStdString() +
                               "' not written: another program is changing it and still holds"),
                  std::string::npos)
            << console;
        EXPECT_EQ(root.ReadFile("ZelSettings.arc"), before);
    }
    SetFileLockWaitMsForTest(FileLock::kWaitMs);
    ASSERT_TRUE(SaveSettings());
    Node saved;
    ASSERT_EQ(LoadArchiveFile(saved, root.File("ZelSettings.arc")).status, LoadStatus::Loaded);
    EXPECT_EQ(saved.GetValue("/View/Rotation").GetInt(), 90);
}

// Two viewers on one file (a wall of screens), or a script beside the viewer: what each changed
// since it read the file stays; an entry both changed takes the value saved last.
TEST_F(SettingsStoreTest, ASaveKeepsWhatAnotherWriterChangedInTheFileSinceItWasRead) {
    const QString file = root.File("ZelSettings.arc");
    LoadSettings();
    Settings().SetValue("/CameraCollection/Gate/Type", Data("Camera"));
    Settings().SetValue("/CameraCollection/Door/Type", Data("Camera"));
    Data read("abc");
    read.GetInt(); // a text with a number reading: set to that number, it changes
    Settings().SetValue("/View/Label", read);
    ASSERT_TRUE(SaveSettings());
    Node other;
    ASSERT_EQ(LoadArchiveFile(other, file).status, LoadStatus::Loaded);
    other.SetValue("/CameraCollection/Yard/Type", Data("Camera"));
    other.SetValue("/View/Rotation", Data(180));
    other.SetValue("/View/AutoSwitch", Data("false"));
    other.Delete("/CameraCollection/Door");
    ASSERT_TRUE(SaveArchiveFile(other, file, u"", ""));
    Settings().GetValue("/View/AutoSwitch").GetBool(); // a reading, no change
    Settings().SetValue("/View/Rotation", Data(90));
    Settings().SetValue("/View/Label", Data(0));
    Settings().Delete("/CameraCollection/Gate");
    Settings().SetValue("/CameraCollection/Shed/Type", Data("Camera"));
    ASSERT_TRUE(SaveSettings());
    for (const Node* seen : {&Settings(), &other}) {
        if (seen == &other)
            ASSERT_EQ(LoadArchiveFile(other, file).status, LoadStatus::Loaded);
        for (const char* camera : {"Yard", "Shed"})
            EXPECT_TRUE(seen->Exists(QString("/CameraCollection/%1").arg(camera))) << camera;
        for (const char* camera : {"Gate", "Door"})
            EXPECT_FALSE(seen->Exists(QString("/CameraCollection/%1").arg(camera))) << camera;
        EXPECT_EQ(seen->GetValue("/View/Rotation").GetInt(), 90);
        EXPECT_EQ(seen->GetValue("/View/Label").GetText(), "0");
        EXPECT_FALSE(seen->GetValue("/View/AutoSwitch").GetBool());
    }
}

TEST_F(SettingsStoreTest, ASettingsFileThatIsALinkIsWrittenThroughIt) {
    // A link to a link, written relative to its folder, to a file in another folder.
    root.WriteFile("real/t.arc", Golden("initial-settings.arc"));
    ASSERT_TRUE(QFile::link("real/t.arc", root.File("middle.arc")));
    ASSERT_TRUE(QFile::link("middle.arc", root.File("ZelSettings.arc")));
    LoadSettings();
    Settings().SetValue("/View/Rotation", Data(90));
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(QFileInfo(root.File("ZelSettings.arc")).symLinkTarget(), root.File("middle.arc"));
    Node saved;
    ASSERT_EQ(LoadArchiveFile(saved, root.File("real/t.arc")).status, LoadStatus::Loaded);
    EXPECT_EQ(saved.GetValue("/View/Rotation").GetInt(), 90);
    EXPECT_EQ(QDir(root.File("real")).entryList(QDir::Files), QStringList({"t.arc", "t.arc.lock"}));

    // A writer of the file under its own name holds the lock that a save through the link takes.
    SetFileLockWaitMsForTest(200);
    FileLock otherWriter(root.File("real/t.arc"));
    QString reason;
    ASSERT_TRUE(otherWriter.Lock(reason)) << reason.toStdString();
    EXPECT_FALSE(SaveSettings());
    SetFileLockWaitMsForTest(FileLock::kWaitMs);
}

} // namespace
