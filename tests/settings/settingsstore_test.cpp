#include "settings/settingsstore.h"

#include "settings/defaults.h"

#include "foundation/log.h"
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
        if (Settings().Exists(Path::Join("/CameraCollection", Path(name)).Text() + "/Type")) items.append(name);
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
    EXPECT_EQ(Defaults().GetValue("/DefaultValues/CameraURLTempl").GetText(), "http://%s:%d/vexo-cgi/mjpg/video.cgi");
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
    root.WriteFile("ZelSettings.arc", QByteArray::fromHex("fffeff012f00" "00000000"));
    EXPECT_EQ(LoadSettings().status, LoadStatus::Loaded);
    EXPECT_FALSE(Settings().Exists(""));
}

TEST_F(SettingsStoreTest, SavesAreLoggedAndReadableByTheOwnerOnly) {
    LoadSettings();
    ASSERT_TRUE(SaveSettings());
    EXPECT_NE(console.find(":T:ZelPPCApp::SaveSettings - Save  "), std::string::npos);
    const QFileInfo info(root.File("ZelSettings.arc"));
    EXPECT_EQ(info.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup |
                                    QFileDevice::WriteOther),
              QFileDevice::Permissions());
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(root.Path()).entryList(QDir::Files), QStringList({"ZelSettings.arc"}));
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
    EXPECT_EQ(root.ReadFile(kept.front()), damaged);
    EXPECT_FALSE(QFile::exists(root.File("ZelSettings.arc")));

    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(root.ReadFile(kept.front()), damaged);
}

} // namespace
