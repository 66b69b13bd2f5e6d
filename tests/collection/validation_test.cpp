#include "collection/validation.h"

#include "tests/collection/collectionfixture.h"

namespace {

using ValidationTest = CollectionTest;

const QString kEmpty = QString::fromUtf16(ValidationMessage::kEmpty);
const QString kNameSet = QString::fromUtf16(ValidationMessage::kItemNameCharacters);
const QString kCredentialSet = QString::fromUtf16(ValidationMessage::kCredentialCharacters);
const QString kAddressSet = QString::fromUtf16(ValidationMessage::kAddressCharacters);
const QString kExists = QString::fromUtf16(ValidationMessage::kNameExists);
const QString kSubFolder = QString::fromUtf16(ValidationMessage::kMoveIntoSubFolder);

const Path kRoot("/CameraCollection");

TEST_F(ValidationTest, CharacterSets) {
    EXPECT_EQ(CheckCharacters("Front Door (2)", CharacterSet::ItemName), "");
    EXPECT_EQ(CheckCharacters("Cam_1", CharacterSet::ItemName), "");
    EXPECT_EQ(CheckCharacters("Front-Door#1", CharacterSet::ItemName), kNameSet);
    EXPECT_EQ(CheckCharacters("cam 1", CharacterSet::Credentials), kCredentialSet);
    EXPECT_EQ(CheckCharacters("CAM.(1)-_X", CharacterSet::Credentials), "");
    EXPECT_EQ(CheckCharacters("192.168.0.90", CharacterSet::NetworkAddress), "");
    EXPECT_EQ(CheckCharacters("My-Camera.LOCAL", CharacterSet::NetworkAddress), "");
    EXPECT_EQ(CheckCharacters("my_camera", CharacterSet::NetworkAddress), kAddressSet);
    EXPECT_EQ(CheckCharacters("cam:80", CharacterSet::NetworkAddress), kAddressSet);
    EXPECT_EQ(CheckCharacters("", CharacterSet::NetworkAddress), "");
    // Letters outside A-Z fail even where they lower into the set (the Kelvin sign lowers to k).
    EXPECT_EQ(CheckCharacters(QString::fromUtf8("Kamera \u212A"), CharacterSet::ItemName), kNameSet);
    EXPECT_EQ(CheckCharacters(QString::fromUtf8("K\u00e4mera"), CharacterSet::ItemName), kNameSet);
}

TEST_F(ValidationTest, FieldsRunTheirChecksInOrderOnTrimmedText) {
    EXPECT_EQ(TakeEnteredText("  Door \t"), "Door");
    EXPECT_EQ(ValidateItemName("   ", kRoot, "/CameraCollection/Camera"), kEmpty);
    EXPECT_EQ(ValidateItemName("  Door  ", kRoot, "/CameraCollection/Camera"), "");
    // The address checks its characters before its emptiness; a blank inside is no address.
    EXPECT_EQ(ValidateNetworkAddress(""), kEmpty);
    EXPECT_EQ(ValidateNetworkAddress(" cam 1 "), kAddressSet);
    EXPECT_EQ(ValidateNetworkAddress(" 192.168.0.90 "), "");
    EXPECT_EQ(ValidateCredential(""), "");
    EXPECT_EQ(ValidateCredential("cam 1"), kCredentialSet);
    EXPECT_EQ(ValidateURL("  "), kEmpty);
    // A URL names a host, with or without a scheme, user name, password and port.
    const QString noHost = QString::fromUtf16(ValidationMessage::kURLWithoutHost);
    const struct {
        const char* url;
        QString expected;
    } urls[] = {
        {"http://", noHost},         {"http://:80/x", noHost},    {"http://user:pw@/x", noHost},
        {"/video.cgi", noHost},      {"http://[::1]:8080/v", ""}, {"http://user:pw@cam/x", ""},
        {"cam.local/video.cgi", ""}, {"http://x/y?z=1&w=#", ""},
    };
    for (const auto& c : urls)
        EXPECT_EQ(ValidateURL(c.url), c.expected) << c.url;

    // Length comes first; a camera switch name has no length check.
    const QString longName(251, u'a');
    EXPECT_NE(ValidateItemName(longName + "#", kRoot, ""), kNameSet);
    EXPECT_FALSE(ValidateItemName(longName, kRoot, "").isEmpty());
    EXPECT_EQ(ValidateItemName(QString(250, u'a'), kRoot, ""), "");
    EXPECT_EQ(ValidateCameraSwitchName(longName, kRoot, ""), "");
    EXPECT_FALSE(ValidateNetworkAddress(longName).isEmpty());
    EXPECT_FALSE(ValidateCredential(longName).isEmpty());
    EXPECT_FALSE(ValidateURL(longName).isEmpty());
}

TEST_F(ValidationTest, IntegerRanges) {
    int port = -1;
    EXPECT_FALSE(ValidatePort("0", port).isEmpty());
    EXPECT_FALSE(ValidatePort("65536", port).isEmpty());
    EXPECT_FALSE(ValidatePort("80a", port).isEmpty());
    EXPECT_FALSE(ValidatePort("", port).isEmpty());
    EXPECT_FALSE(ValidatePort("99999999999", port).isEmpty());
    EXPECT_EQ(port, -1); // untouched by a failure
    EXPECT_EQ(ValidatePort("1", port), "");
    EXPECT_EQ(port, 1);
    EXPECT_EQ(ValidatePort(" 65535 ", port), "");
    EXPECT_EQ(port, 65535);

    int seconds = -1;
    EXPECT_EQ(ValidateDisplayTime("0", seconds), "");
    EXPECT_EQ(seconds, 0);
    EXPECT_FALSE(ValidateDisplayTime("100", seconds).isEmpty());
    EXPECT_EQ(ValidateDisplayTime("99", seconds), "");
}

TEST_F(ValidationTest, UniqueNamesInTheChosenFolder) {
    AddItem("/CameraCollection", "Door", "Camera");
    AddItem("/CameraCollection", "Gate", "Camera");
    AddItem("/CameraCollection", "Office", "Folder");
    // Keeping the own name is allowed; taking a sibling's is not.
    EXPECT_EQ(ValidateItemName("Door", kRoot, "/CameraCollection/Door"), "");
    EXPECT_EQ(ValidateItemName("Gate", kRoot, "/CameraCollection/Door"), kExists);
    // Another case is another path.
    EXPECT_EQ(ValidateItemName("gate", kRoot, "/CameraCollection/Door"), "");
    // The same name in another folder is free, and moving there is checked against that folder.
    EXPECT_EQ(ValidateItemName("Door", "/CameraCollection/Office", "/CameraCollection/Door"), "");
    AddItem("/CameraCollection/Office", "Door", "Camera");
    EXPECT_EQ(ValidateItemName("Door", "/CameraCollection/Office", "/CameraCollection/Door"), kExists);
    EXPECT_EQ(ValidateCameraSwitchName("Gate", kRoot, "/CameraCollection/Switch"), kExists);
}

TEST_F(ValidationTest, FolderMovesOnlyOutsideItself) {
    AddItem("/CameraCollection", "A", "Folder");
    AddItem("/CameraCollection/A", "B", "Folder");
    AddItem("/CameraCollection", "AB", "Folder");
    const Path a("/CameraCollection/A");
    EXPECT_EQ(ValidateFolderName("A", "/CameraCollection/A/B", a), kSubFolder);
    EXPECT_EQ(ValidateFolderName("A", a, a), kSubFolder);
    EXPECT_EQ(ValidateFolderName("A", "/CameraCollection/AB", a), "");
    EXPECT_EQ(ValidateFolderName("A", kRoot, a), "");
    // The name checks come before the move check.
    EXPECT_EQ(ValidateFolderName("", "/CameraCollection/A/B", a), kEmpty);
    EXPECT_EQ(ValidateFolderName("AB", kRoot, a), kExists);
}

} // namespace
