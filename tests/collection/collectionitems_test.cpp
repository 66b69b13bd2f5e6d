#include "collection/cameraedit.h"
#include "collection/cameraswitchedit.h"
#include "collection/folderedit.h"
#include "collection/itemtype.h"
#include "collection/siblingorder.h"

#include "tests/collection/collectionfixture.h"

#include <algorithm>

namespace {

using CollectionItemsTest = CollectionTest;

const Path kRoot("/CameraCollection");

TEST_F(CollectionItemsTest, GeneratedNamesAreFreeInTheFolderOnly) {
    EXPECT_EQ(GenerateItemName(kRoot, ItemType::Camera), "Camera");
    AddItem("/CameraCollection", "Camera", "Camera");
    AddItem("/CameraCollection", "Camera (1)", "Camera");
    EXPECT_EQ(GenerateItemName(kRoot, ItemType::Camera), "Camera (2)");
    EXPECT_EQ(GenerateItemName("/CameraCollection/Empty", ItemType::Camera), "Camera");
    EXPECT_EQ(GenerateItemName(kRoot, ItemType::Folder), "Folder");
    EXPECT_EQ(GenerateItemName(kRoot, ItemType::CameraSwitch), "Camera Switch");
    EXPECT_EQ(GenerateItemName(kRoot, ItemType::LiveSite), "Live View Site");
}

TEST_F(CollectionItemsTest, ItemPathsComeFromTheSettingsPathOrTheShownNames) {
    AddItem("/CameraCollection", "Demo Cameras", "Folder");
    AddItem("/CameraCollection/Demo Cameras", "Door", "Camera");
    AddItem("/CameraCollection/Demo Cameras/Door", "Inner", "Camera");
    AddItem("/CameraCollection/Demo Cameras", "Gate 1", "Camera");
    Settings().SetValue("/CameraCollection/Demo Cameras/Gate 1/Name", Data("Gate"));
    Settings().SetValue("/CameraCollection/Demo Cameras//Type", Data("Camera"));
    Settings().SetValue("/CameraCollection/Demo Cameras//Name", Data("Ghost"));
    const struct {
        const char* text;
        const char* path;
    } cases[] = {
        {"/CameraCollection/Demo Cameras", "/CameraCollection/Demo Cameras"},
        {"Cameras/Demo Cameras", "/CameraCollection/Demo Cameras"},
        {"/Cameras/Demo Cameras/Door", "/CameraCollection/Demo Cameras/Door"},
        {"Cameras", "/CameraCollection"},
        {"Cameras/Demo Cameras/Gate", "/CameraCollection/Demo Cameras/Gate 1"},
        {"Cameras/Demo Cameras/Gate 1", ""},
        {"Cameras/Nowhere", ""},
        {"Cameras/Demo Cameras/Ghost", ""}, // no path names it
        {"/CameraCollection/Nowhere", ""},
        {"Demo Cameras/Door", ""},
        {"Cameras/Demo Cameras/Door/Inner", ""}, // through a camera, not a folder
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindItemPath(c.text), c.path) << c.text;
}

TEST_F(CollectionItemsTest, SiblingOrder) {
    const SiblingKey zeta{ItemType::Folder, "zeta"};
    const SiblingKey m{ItemType::CameraSwitch, "M"};
    const SiblingKey cameraA{ItemType::Camera, "Camera A"};
    const SiblingKey cameraB{ItemType::Camera, "camera b"};
    const SiblingKey site{ItemType::LiveSite, "A site"};
    std::vector<SiblingKey> items{site, cameraB, cameraA, m, zeta};
    std::sort(items.begin(), items.end(),
              [](const SiblingKey& a, const SiblingKey& b) { return CompareSiblings(a, b) < 0; });
    QStringList names;
    for (const SiblingKey& key : items)
        names.append(key.name);
    EXPECT_EQ(names, QStringList({"zeta", "M", "Camera A", "camera b", "A site"}));

    // A new item goes before a sibling of the same type and equal name, in any case.
    EXPECT_TRUE(GoesBefore({ItemType::Camera, "CAMERA A"}, cameraA));
    EXPECT_FALSE(GoesBefore({ItemType::Camera, "Camera C"}, cameraB));
    EXPECT_FALSE(GoesBefore({ItemType::LiveSite, "A"}, cameraB));

    AddItem("/CameraCollection", "Door", "Camera");
    EXPECT_EQ(ReadSiblingKey("/CameraCollection/Door").type, ItemType::Camera);
    Settings().SetValue("/CameraCollection/Door/Type", Data("camera"));
    EXPECT_EQ(ReadSiblingKey("/CameraCollection/Door").type, ItemType::None);
}

TEST_F(CollectionItemsTest, NewCameraAndSiteComeFromTheirDefaults) {
    AddItem("/CameraCollection", "Live View Site", "LiveSite");
    CameraEdit site = CameraEdit::Open(ItemType::LiveSite, kRoot, "");
    EXPECT_EQ(site.record.name, "Live View Site (1)");
    EXPECT_EQ(site.record.type, "LiveSite");
    EXPECT_EQ(site.record.customURL, "http://");
    EXPECT_EQ(site.record.port, 0);
    EXPECT_EQ(site.record.folderPath, "/CameraCollection");
    EXPECT_EQ(site.currentPath, Path("/CameraCollection/Live View Site (1)"));

    CameraEdit camera = CameraEdit::Open(ItemType::Camera, kRoot, "");
    EXPECT_EQ(camera.record.name, "Camera");
    EXPECT_EQ(camera.record.port, 80);
    EXPECT_EQ(camera.record.model, "unknown");
    EXPECT_EQ(camera.record.resolution, "default");
    EXPECT_EQ(camera.record.status, "Unknown");
    EXPECT_FALSE(Settings().Exists("/CameraCollection/Camera")); // nothing before the write-back

    camera.record.address = "10.0.0.1";
    ASSERT_TRUE(camera.WriteBack());
    EXPECT_EQ(Settings().GetValue("/CameraCollection/Camera/Address").GetText(), "10.0.0.1");
    EXPECT_EQ(Settings().GetValue("/CameraCollection/Camera/Port").GetInt(), 80);
}

TEST_F(CollectionItemsTest, CameraRenamedAndMovedLeavesNoOldNode) {
    AddItem("/CameraCollection", "Office", "Folder");
    Settings().SetValue("/CameraCollection/Door/Type", Data("Camera"));
    Settings().SetValue("/CameraCollection/Door/Address", Data("cam.local"));
    Settings().SetValue("/CameraCollection/Door/User", Data("stale key")); // not a record key

    CameraEdit edit = CameraEdit::Open(ItemType::Camera, kRoot, "Door");
    EXPECT_EQ(edit.record.address, "cam.local");
    // Written back unchanged, it stays where it is.
    ASSERT_TRUE(edit.WriteBack());
    EXPECT_EQ(edit.currentPath, Path("/CameraCollection/Door"));
    EXPECT_EQ(Settings().GetValue("/CameraCollection/Door/Name").GetText(), "Door");

    edit.record.name = "Front Door";
    edit.record.folderPath = "/CameraCollection/Office";
    ASSERT_TRUE(edit.WriteBack());
    EXPECT_FALSE(Settings().Exists("/CameraCollection/Door"));
    EXPECT_EQ(edit.currentPath, Path("/CameraCollection/Office/Front Door"));
    EXPECT_EQ(Settings().GetValue("/CameraCollection/Office/Front Door/Address").GetText(), "cam.local");
    EXPECT_FALSE(Settings().Exists("/CameraCollection/Office/Front Door/User"));
}

TEST_F(CollectionItemsTest, ItemsAreNeverWrittenOutsideTheCollection) {
    AddItem("/CameraCollection", "Door", "Camera");
    CameraEdit edit = CameraEdit::Open(ItemType::Camera, kRoot, "Door");
    for (const char* folder : {"", "/", "/View", "/CameraCollection/Door", "/CameraCollection/Missing"}) {
        edit.record.folderPath = folder;
        EXPECT_FALSE(edit.WriteBack()) << folder;
    }
    EXPECT_TRUE(Settings().Exists("/CameraCollection/Door"));
    EXPECT_FALSE(Settings().Exists("/Door"));
    EXPECT_FALSE(Settings().Exists("/View"));
}

TEST_F(CollectionItemsTest, FolderMovesWithItsContents) {
    AddItem("/CameraCollection", "A", "Folder");
    AddItem("/CameraCollection/A", "B", "Folder");
    AddItem("/CameraCollection/A/B", "Cam", "Camera");
    AddItem("/CameraCollection", "AB", "Folder");

    FolderEdit edit = FolderEdit::Open(kRoot, "A");
    EXPECT_EQ(edit.currentPath, Path("/CameraCollection/A"));
    // Into its own sub-folder: refused, nothing changes.
    edit.parentPath = "/CameraCollection/A/B";
    EXPECT_FALSE(edit.WriteBack());
    EXPECT_TRUE(Settings().Exists("/CameraCollection/A/B/Cam/Type"));

    // Into the sibling AB, renamed on the way.
    edit.parentPath = "/CameraCollection/AB";
    edit.name = "Moved";
    ASSERT_TRUE(edit.WriteBack());
    EXPECT_FALSE(Settings().Exists("/CameraCollection/A"));
    EXPECT_EQ(Settings().GetValue("/CameraCollection/AB/Moved/B/Cam/Type").GetText(), "Camera");
    EXPECT_EQ(Settings().GetValue("/CameraCollection/AB/Moved/Name").GetText(), "Moved");
    EXPECT_EQ(edit.currentPath, Path("/CameraCollection/AB/Moved"));

    FolderEdit added = FolderEdit::Open(kRoot, "");
    EXPECT_EQ(added.name, "Folder");
    ASSERT_TRUE(added.WriteBack());
    EXPECT_EQ(Settings().GetValue("/CameraCollection/Folder/Type").GetText(), "Folder");
    EXPECT_EQ(ChildNames("/CameraCollection/Folder"), QStringList({"Name", "Type"}));
}

TEST_F(CollectionItemsTest, CameraSwitchStoresCamerasAndSitesOnly) {
    AddItem("/CameraCollection", "Office", "Folder");
    AddItem("/CameraCollection/Office", "Door", "Camera");
    AddItem("/CameraCollection/Office", "Harbour", "LiveSite");
    AddItem("/CameraCollection", "Gate", "Camera");
    AddItem("/CameraCollection", "Empty", "Folder");

    CameraSwitchEdit edit = CameraSwitchEdit::Open(kRoot, "");
    EXPECT_EQ(edit.name, "Camera Switch");
    EXPECT_EQ(edit.displayTime, 5);
    edit.displayTime = 7;
    ASSERT_TRUE(
        edit.WriteBack({"/CameraCollection/Gate", "/CameraCollection/Office", "/CameraCollection/Office/Door",
                        "/CameraCollection/Office/Harbour", "/CameraCollection/Missing"}));
    const Path saved("/CameraCollection/Camera Switch");
    EXPECT_EQ(ChildNames(Path::Join(saved, "Cameras")),
              QStringList({"Camera_000", "Camera_001", "Camera_002"}));
    EXPECT_EQ(Settings().GetValue(Path::Join(saved, "Cameras/Camera_002")).GetText(),
              "/CameraCollection/Office/Harbour");
    EXPECT_EQ(Settings().GetValue(Path::Join(saved, "NbrOfCameras")).Flags(), Data::kInt);
    EXPECT_EQ(Settings().GetValue(Path::Join(saved, "NbrOfCameras")).GetInt(), 3);
    EXPECT_EQ(Settings().GetValue(Path::Join(saved, "DisplayTime")).GetInt(), 7);

    // Reopened and renamed, it keeps its folder and its members until new ones are written.
    CameraSwitchEdit reopened = CameraSwitchEdit::Open(kRoot, "Camera Switch");
    EXPECT_EQ(reopened.displayTime, 7);
    EXPECT_EQ(reopened.Members(), QStringList({"/CameraCollection/Gate", "/CameraCollection/Office/Door",
                                               "/CameraCollection/Office/Harbour"}));
    reopened.name = "Tour";
    ASSERT_TRUE(reopened.WriteBack({"/CameraCollection/Empty"}));
    EXPECT_FALSE(Settings().Exists(saved));
    EXPECT_EQ(Settings().GetValue("/CameraCollection/Tour/Type").GetText(), "CameraSwitch");
    // A checked folder without cameras leaves no member and no "Cameras" node.
    EXPECT_EQ(Settings().GetValue("/CameraCollection/Tour/NbrOfCameras").GetInt(), 0);
    EXPECT_TRUE(Settings().Exists("/CameraCollection/Tour/NbrOfCameras"));
    EXPECT_FALSE(Settings().Exists("/CameraCollection/Tour/Cameras"));
}

TEST_F(CollectionItemsTest, RenamesAndMovesCarrySwitchMembersAlong) {
    AddItem("/CameraCollection", "Demo", "Folder");
    AddItem("/CameraCollection/Demo", "Alder", "Camera");
    AddItem("/CameraCollection", "Demo Cameras", "Folder");
    AddItem("/CameraCollection/Demo Cameras", "Birch", "Camera");
    AddItem("/CameraCollection/Demo Cameras", "Cedar", "Camera");
    AddItem("/CameraCollection", "Lobby", "Camera");
    AddItem("/CameraCollection", "Tours", "Folder");
    const QStringList members = {"/CameraCollection/Demo Cameras/Birch", "/CameraCollection/Demo/Alder",
                                 "/CameraCollection/Demo Cameras/Cedar", "/CameraCollection/Lobby"};
    ASSERT_TRUE(CameraSwitchEdit::Open(kRoot, "").WriteBack(members));
    // A second switch, inside a folder.
    CameraSwitchEdit nested = CameraSwitchEdit::Open("/CameraCollection/Tours", "");
    ASSERT_TRUE(nested.WriteBack({"/CameraCollection/Demo Cameras/Cedar"}));
    const auto membersOf = [](const QString& cameraSwitch) {
        return CameraSwitchEdit::Open(Path::GetParent(cameraSwitch), Path::GetName(cameraSwitch)).Members();
    };

    // A folder renamed: its members follow; the folder whose name merely begins alike does not.
    FolderEdit folder = FolderEdit::Open(kRoot, "Demo Cameras");
    folder.name = "Street";
    ASSERT_TRUE(folder.WriteBack());
    EXPECT_EQ(membersOf("/CameraCollection/Camera Switch"),
              QStringList({"/CameraCollection/Street/Birch", "/CameraCollection/Demo/Alder",
                           "/CameraCollection/Street/Cedar", "/CameraCollection/Lobby"}));
    EXPECT_EQ(membersOf("/CameraCollection/Tours/Camera Switch"),
              QStringList({"/CameraCollection/Street/Cedar"}));

    // A camera renamed and moved into another folder.
    CameraEdit camera = CameraEdit::Open(ItemType::Camera, kRoot, "Lobby");
    camera.record.name = "Hall";
    camera.record.folderPath = "/CameraCollection/Demo";
    ASSERT_TRUE(camera.WriteBack());
    EXPECT_EQ(membersOf("/CameraCollection/Camera Switch").last(), "/CameraCollection/Demo/Hall");

    // A folder moved into another folder.
    FolderEdit moved = FolderEdit::Open(kRoot, "Street");
    moved.parentPath = "/CameraCollection/Tours";
    ASSERT_TRUE(moved.WriteBack());
    EXPECT_EQ(membersOf("/CameraCollection/Tours/Camera Switch"),
              QStringList({"/CameraCollection/Tours/Street/Cedar"}));
    EXPECT_NE(
        console.find("'/CameraCollection/Tours/Camera Switch' member '/CameraCollection/Street/Cedar' is now "
                     "'/CameraCollection/Tours/Street/Cedar'"),
        std::string::npos)
        << console;

    // Deleting an item leaves its member for the switch to drop when it runs.
    Settings().Delete("/CameraCollection/Demo/Alder");
    EXPECT_EQ(membersOf("/CameraCollection/Camera Switch").at(1), "/CameraCollection/Demo/Alder");
}

} // namespace
