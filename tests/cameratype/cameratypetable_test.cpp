#include "cameratype/cameratypelookup.h"
#include "cameratype/cameratypetable.h"

#include "foundation/log.h"
#include "settings/archivefile.h"
#include "settings/settingsstore.h"
#include "tests/support/temporarydataroot.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <optional>

namespace {

class CameraTypeTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CameraTypes() = Node();
        lookup.emplace();
        DiagLog::Instance().SetConsoleForTest([this](std::string_view text) { console += text; });
    }
    void TearDown() override { DiagLog::Instance().SetConsoleForTest(nullptr); }

    QStringList Values(const QString& model, const QString& firmware, const char* key) {
        QStringList list{"untouched"};
        EXPECT_TRUE(lookup->GetValueList(model, firmware, key, list))
            << model.toStdString() << " " << firmware.toStdString();
        return list;
    }
    // The entry that serves the model and firmware, told by the trace line of the request.
    std::string ChosenEntry(const QString& model, const QString& firmware) {
        console.clear();
        QStringList list;
        if (!lookup->GetValueList(model, firmware, "PTZ", list))
            return "refused";
        const size_t at = console.find("version '/CameraType/");
        return at == std::string::npos ? "?" : console.substr(at + 9, console.find('\'', at + 9) - at - 9);
    }

    TemporaryDataRoot root;
    std::optional<CameraTypeLookup> lookup;
    std::string console;
};

TEST_F(CameraTypeTableTest, VersionComparison) {
    EXPECT_TRUE(IsVersionLower("2.4", "2.31"));
    EXPECT_FALSE(IsVersionLower("2.10", "2.9"));
    EXPECT_FALSE(IsVersionLower("2.05", "2.5"));
    EXPECT_FALSE(IsVersionLower("2.5", "2.05"));
    EXPECT_TRUE(IsVersionLower("1.99", "2.0"));
    EXPECT_FALSE(IsVersionLower("", "9.99"));
    EXPECT_TRUE(IsVersionLower("beta", "0.1")); // unreadable counts as 0.0
    EXPECT_TRUE(IsVersionLower("3", "3.01"));
    EXPECT_FALSE(IsVersionLower("3.0", "3"));
    EXPECT_FALSE(IsVersionLower("99999999999999.1", "2147483647.0")); // no overflow
}

TEST_F(CameraTypeTableTest, ModelsInTableOrder) {
    QStringList names{"stale"};
    lookup->GetTypeNameList(names);
    EXPECT_EQ(names, QStringList({"unknown", "Alder", "Birch", "Cedar", "Damson", "Elm", "Elm+", "Fir",
                                  "Fir+", "Gum", "Hazel", "Ivy"}));
    EXPECT_NE(console.find("Type name 'Elm+'"), std::string::npos);
}

TEST_F(CameraTypeTableTest, EntryChoice) {
    EXPECT_EQ(ChosenEntry("Cedar", "2.33"), "/CameraType/Cedar/Firmware/1");
    EXPECT_EQ(ChosenEntry("Cedar", "2.40"), "/CameraType/Cedar/Firmware/3");
    EXPECT_EQ(ChosenEntry("Cedar", "2.99"), "/CameraType/Cedar/Firmware/3");
    EXPECT_EQ(ChosenEntry("Cedar", "3.0"), "/CameraType/Cedar/Firmware/3");
    EXPECT_EQ(ChosenEntry("Cedar", ""), "/CameraType/Cedar/Firmware/3");
    EXPECT_EQ(ChosenEntry("Cedar", "unknown"), "/CameraType/Cedar/Firmware/0");
    EXPECT_EQ(ChosenEntry("Elm", "1.50"), "/CameraType/Elm/Firmware/0");
    EXPECT_EQ(ChosenEntry("Nonesuch", "9.0"), "/CameraType/unknown/Firmware/0");
    EXPECT_EQ(ChosenEntry("unknown", ""), "/CameraType/unknown/Firmware/0");
    EXPECT_EQ(ChosenEntry("cedar", "2.33"), "/CameraType/unknown/Firmware/0"); // model names mind case

    EXPECT_EQ(Values("Hazel", "2.11", "PTZ"), QStringList({"false"}));
    EXPECT_EQ(Values("Hazel", "2.12", "PTZ"), QStringList({"true"}));
    EXPECT_EQ(Values("Elm", "2.12", "CameraNumber"), QStringList({"default", "1", "2", "3", "4"}));
    EXPECT_EQ(Values("Cedar", "2.33", "Resolution"),
              QStringList({"default", "352x288 (PAL)", "704x576 (PAL)", "352x240 (NTSC)", "704x480 (NTSC)"}));
    EXPECT_EQ(Values("Nonesuch", "1.0", "Resolution").size(), 20);

    console.clear();
    QStringList list{"untouched"};
    EXPECT_FALSE(lookup->GetValueList("Cedar", "2.05", "Resolution", list));
    EXPECT_EQ(list, QStringList({"untouched"}));
    EXPECT_NE(
        console.find(":W:CameraTypeLookup::GetValueList - Camera type 'Cedar 2.05' to old and not supported"),
        std::string::npos)
        << console;
}

TEST_F(CameraTypeTableTest, RequestIsTraced) {
    Values("Cedar", "2.33", "PTZ");
    EXPECT_NE(
        console.find("Request 'Cedar 2.33' -> Camera type '2.32', version '/CameraType/Cedar/Firmware/1'"),
        std::string::npos)
        << console;
    EXPECT_NE(console.find("'PTZ' - 'false'"), std::string::npos) << console;
}

TEST_F(CameraTypeTableTest, LearningAddsAnEntryAfterTheOthersAndSavesTheTable) {
    const QString file = root.File("ZelPPCCameraTypes.arc");
    EXPECT_TRUE(lookup->LearnFirmware("Hazel", "4.40", "default,640x480", "default,1,2", "YES"));
    EXPECT_NE(console.find(":T:CameraTypeLookup::LearnFirmware - Save Camera Types"), std::string::npos)
        << console;
    EXPECT_EQ(ChosenEntry("Hazel", "4.40"), "/CameraType/Hazel/Firmware/3");
    EXPECT_EQ(ChosenEntry("Hazel", "5.0"), "/CameraType/Hazel/Firmware/3");
    EXPECT_EQ(Values("Hazel", "4.40", "PTZ"), QStringList({"true"}));
    EXPECT_EQ(Values("Hazel", "4.40", "CameraNumber"), QStringList({"default", "1", "2"}));
    ASSERT_TRUE(QFileInfo::exists(file));

    // The file holds the whole table, learned entry included.
    Node saved;
    ASSERT_EQ(LoadArchiveFile(saved, file).status, LoadStatus::Loaded);
    EXPECT_EQ(saved.GetValue("/CameraType/Hazel/Firmware/3/Resolution").GetText(), "default,640x480");
    EXPECT_EQ(saved.GetValue("/CameraType/Ivy/Firmware/0").GetText(), "2.10");

    // Learning Cedar 2.33 adds entry 4, which the scan never reaches for 2.33.
    EXPECT_TRUE(lookup->LearnFirmware("Cedar", "2.33", "default,1x1", "default", "no"));
    EXPECT_EQ(CameraTypes().GetValue("/CameraType/Cedar/Firmware/4").GetText(), "2.33");
    EXPECT_EQ(ChosenEntry("Cedar", "2.33"), "/CameraType/Cedar/Firmware/1");

    // The same version again adds nothing and writes nothing.
    QFile::remove(file);
    EXPECT_FALSE(lookup->LearnFirmware("Cedar", "2.33", "default,2x2", "default", "no"));
    EXPECT_FALSE(CameraTypes().Exists("/CameraType/Cedar/Firmware/5"));
    EXPECT_FALSE(QFileInfo::exists(file));
}

TEST_F(CameraTypeTableTest, LearnedModelsGetTheirOwnLists) {
    EXPECT_TRUE(lookup->LearnFirmware("Juniper", "1.00", "default,800x600", "default,1", "no"));
    EXPECT_EQ(Values("Juniper", "1.00", "Resolution"), QStringList({"default", "800x600"}));
    EXPECT_EQ(Values("Juniper", "", "PTZ"), QStringList({"false"}));
    QStringList names;
    lookup->GetTypeNameList(names);
    EXPECT_EQ(names.last(), "Juniper");

    // A new lookup object writes the built-in entries again and keeps the learned ones.
    CameraTypes().SetValue("/CameraType/Alder/Firmware/0/PTZ", Data("changed"));
    CameraTypeLookup another;
    EXPECT_EQ(Values("Alder", "2.10", "PTZ"), QStringList({"false"}));
    EXPECT_EQ(Values("Juniper", "1.00", "Resolution"), QStringList({"default", "800x600"}));

    // Names that cannot be one node of the table are not learned.
    EXPECT_FALSE(lookup->LearnFirmware("", "1.00", "default,", "default", ""));
    EXPECT_FALSE(lookup->LearnFirmware("Oak/Firmware", "1.00", "default,", "default", ""));
    EXPECT_FALSE(CameraTypes().Exists("/CameraType/Oak"));
}

} // namespace
