#include "collection/camera.h"
#include "collection/cameraedit.h"

#include "tests/collection/collectionfixture.h"

namespace {

using CameraTest = CollectionTest;

Camera MakeCamera(const QString& resolution, const QString& cameraNumber) {
    Camera camera;
    camera.type = "Camera";
    camera.address = "192.168.0.90";
    camera.port = 80;
    camera.resolution = resolution;
    camera.cameraNumber = cameraNumber;
    return camera;
}

TEST_F(CameraTest, SaveWritesTheFourteenKeysInOrderAndLoadReadsThemBack) {
    Camera camera = MakeCamera("320x240", "2");
    camera.name = "Door";
    camera.checkedAddress = "10.0.0.1";
    camera.port = 8080;
    camera.model = "Cedar";
    camera.firmware = "2.31";
    camera.userName = "root";
    camera.password = "pass word";
    camera.rotation = "90";
    camera.compression = "30";
    camera.status = "OK";
    camera.folderPath = "/CameraCollection";

    const Node item = Settings().GetNode("/CameraCollection/Door");
    camera.Save(item);
    EXPECT_EQ(
        ChildNames("/CameraCollection/Door"),
        QStringList({"Type", "Name", "Address", "CheckedAddress", "Port", "Model", "Firmware", "UserName",
                     "Password", "Resolution", "CameraNumber", "Rotation", "Compression", "CustomURL"}));
    EXPECT_EQ(item.GetValue("Port").Flags(), Data::kInt);
    EXPECT_EQ(item.GetValue("Rotation").Flags(), Data::kText);

    Camera loaded;
    loaded.status = "kept";
    loaded.folderPath = "/kept";
    loaded.Load(item);
    EXPECT_EQ(loaded.port, 8080);
    EXPECT_EQ(loaded.password, "pass word");
    EXPECT_EQ(loaded.compression, "30");
    EXPECT_EQ(loaded.checkedAddress, "10.0.0.1");
    // Neither is stored.
    EXPECT_EQ(loaded.status, "kept");
    EXPECT_EQ(loaded.folderPath, "/kept");
    EXPECT_FALSE(item.Exists("Status"));
}

TEST_F(CameraTest, UrlOfEachResolutionAndSource) {
    const QString base = "http://192.168.0.90:80/vexo-cgi/mjpg/video.cgi";
    const struct {
        const char* resolution;
        const char* cameraNumber;
        const char* appended;
    } cases[] = {
        {"default", "default", ""},
        {"320x240", "default", "?resolution=320x240"},
        {"352x288 (PAL)", "2", "?resolution=352x288&camera=2"},
        {"176x112", "default", "?resolution=halfsize"},
        {"default", "3", "?camera=3"},
        {"176x112 (NTSC)", "default", "?resolution=halfsize"},
        {"Default", "default", "?resolution=Default"}, // the comparison minds case
        {"", "", "?resolution=&camera="},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MakeCamera(c.resolution, c.cameraNumber).GetURL(), base + c.appended) << c.resolution;
    }
}

TEST_F(CameraTest, UrlFollowsTheTemplate) {
    Camera camera = MakeCamera("320x240", "default");
    camera.port = 8080;
    EXPECT_EQ(camera.GetURL(), "http://192.168.0.90:8080/vexo-cgi/mjpg/video.cgi?resolution=320x240");

    Defaults().SetValue("/DefaultValues/CameraURLTempl", Data("http://%s:%d/video.cgi?fps=5"));
    EXPECT_EQ(camera.GetURL(), "http://192.168.0.90:8080/video.cgi?fps=5&resolution=320x240");
    Defaults().SetValue("/DefaultValues/CameraURLTempl", Data("http://%s:%d/video.cgi?"));
    EXPECT_EQ(camera.GetURL(), "http://192.168.0.90:8080/video.cgi?resolution=320x240");

    // The address is text, not a format: nothing in it is expanded.
    Defaults().SetValue("/DefaultValues/CameraURLTempl", Data("http://%s:%d/a%%b%x%s"));
    camera.address = "cam%d%s";
    EXPECT_EQ(camera.GetURL(), "http://cam%d%s:8080/a%b%x%s?resolution=320x240");
}

TEST_F(CameraTest, OnlyCamerasBuildAUrlAndLogIt) {
    Camera site;
    site.type = "LiveSite";
    site.customURL = "http://example.test/nph-update.cgi";
    site.resolution = "320x240";
    EXPECT_EQ(site.GetURL(), "http://example.test/nph-update.cgi");
    site.type = "CameraSwitch";
    site.customURL = "";
    EXPECT_EQ(site.GetURL(), "");
    EXPECT_EQ(console.find("GetURL"), std::string::npos);

    MakeCamera("default", "3").GetURL();
    EXPECT_NE(console.find(":T:Camera::GetURL - 'http://192.168.0.90:80/vexo-cgi/mjpg/video.cgi?camera=3'"),
              std::string::npos)
        << console;
}

// What an item does about motion goes with it through the property pages, a rename included,
// and areas the text cannot say (too few edges, not numbers, outside the picture) are left out.
TEST_F(CameraTest, MotionValuesGoWithTheItemAndUnreadableAreasAreLeftOut) {
    AddItem("/CameraCollection", "Door", "Camera");
    CameraEdit edit = CameraEdit::Open(ItemType::Camera, Path("/CameraCollection"), "Door");
    edit.record.motion.detect = true;
    edit.record.motion.sensitivity = 70;
    edit.record.motion.ignored = {QRectF(0, 0, 0.5, 0.25), QRectF(0.75, 0.5, 0.25, 0.5)};
    edit.record.motion.record = true;
    edit.record.name = "Front Door";
    ASSERT_TRUE(edit.WriteBack());
    Camera read;
    read.Load(Settings().GetNode("/CameraCollection/Front Door"));
    EXPECT_TRUE(read.motion.detect && read.motion.record);
    EXPECT_EQ(read.motion.sensitivity, 70);
    EXPECT_EQ(read.motion.IgnoredText(), "0,0,5000,2500;7500,5000,2500,5000");

    const struct {
        const char* text;
        int areas;
    } kTexts[] = {
        {"0,0,5000,2500", 1},       {"0,0,5000", 0},        {"a,b,c,d", 0},          {"0,0,0,0;1,1,1,1", 1},
        {"9000,9000,5000,5000", 1}, {"20000,0,100,100", 0}, {";;,;0,0,100,100;", 1}, {"", 0},
    };
    for (const auto& entry : kTexts)
        EXPECT_EQ(MotionOptions::ParseIgnored(entry.text).size(), entry.areas) << entry.text;
    EXPECT_EQ(MotionOptions::ParseIgnored("9000,9000,5000,5000")[0], QRectF(0.9, 0.9, 0.1, 0.1))
        << "cut to the picture";
}

} // namespace
