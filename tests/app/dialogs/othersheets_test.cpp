// The live view site sheet, the camera switch dialog with its member picker and display time,
// and the folder dialog with its move check, driven like a user.

#include "app/dialogs/cameraconf.h"
#include "app/dialogs/cameraswitchconf.h"
#include "app/dialogs/folderconf.h"
#include "app/dialogs/livesiteconf.h"

#include "collection/collectiontree.h"
#include "collection/validation.h"
#include "tests/app/dialogs/dialogfixture.h"

#include <QLineEdit>
#include <QSpinBox>

namespace {

class OtherSheetsTest : public DialogTest {
  protected:
    // Opens the dialog modally; the handler works in it while it shows. Its result.
    template <typename Sheet> int Run(Sheet& sheet, std::function<void()> handler) {
        WhenShown<Sheet>([handler](Sheet*) { handler(); });
        return sheet.DoModal();
    }
    static QLineEdit* NameEdit(QWidget* dialog) { return Control<QLineEdit>(dialog, ControlId::Name); }
    static CollectionTree* Tree(QWidget* dialog) {
        return Control<CollectionTree>(dialog, ControlId::FolderTree);
    }
    static QString DisplayTimeMessage(const QString& entered) {
        int seconds = 0;
        return ValidateDisplayTime(entered, seconds);
    }
    static QStringList Members(const QString& cameraSwitch) {
        QStringList members;
        const Node& settings = Settings();
        ChildIterator it = settings.GetFirstChild(Path(cameraSwitch + "/Cameras"));
        QString key;
        Data value;
        while (settings.GetNextChild(it, key, value))
            members.append(key + "=" + value.GetText());
        return members;
    }
};

TEST_F(OtherSheetsTest, NewLiveViewSiteStartsFromItsDefaultsAndRefusesAnEmptyUrl) {
    AddItem("/CameraCollection", "Live View Site", "LiveSite");
    LiveSiteConf sheet(nullptr, Path("/CameraCollection"), QString());
    EXPECT_EQ(sheet.windowTitle(), "Live View Site Properties");
    const int result = Run(sheet, [&] {
        EXPECT_EQ(NameEdit(&sheet)->text(), "Live View Site (1)");
        auto* url = Control<QLineEdit>(&sheet, ControlId::URL);
        EXPECT_EQ(url->text(), "http://");
        url->setText("  ");
        Click(&sheet, QDialogButtonBox::Ok);
        EXPECT_EQ(MessageBoxSeam::Shown(), QStringList({QString::fromUtf16(ValidationMessage::kEmpty)}));
        EXPECT_EQ(sheet.focusWidget(), url);
        url->setText("http://127.0.0.1:18400/harbour.mjpg");
        Click(&sheet, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(sheet.ItemPath(), "/CameraCollection/Live View Site (1)");
    EXPECT_EQ(Value("/CameraCollection/Live View Site (1)/Type"), "LiveSite");
    EXPECT_EQ(Value("/CameraCollection/Live View Site (1)/CustomURL"), "http://127.0.0.1:18400/harbour.mjpg");
}

// What the user types into a sheet that just opened goes into its name field.
TEST_F(OtherSheetsTest, EverySheetOpensWithItsNameFieldFocused) {
    CameraConf camera(nullptr, Path("/CameraCollection"), QString());
    LiveSiteConf site(nullptr, Path("/CameraCollection"), QString());
    FolderConf folder(nullptr, Path("/CameraCollection"), QString());
    CameraSwitchConf cameraSwitch(nullptr, Path("/CameraCollection"), QString());
    for (Dialog* sheet : std::initializer_list<Dialog*>{&camera, &site, &folder, &cameraSwitch}) {
        Run(*sheet, [sheet] {
            EXPECT_TRUE(
                QTest::qWaitFor([sheet] { return QApplication::activeWindow() == sheet; }, kDialogWaitMs));
            EXPECT_EQ(sheet->focusWidget(), NameEdit(sheet)) << sheet->windowTitle().toStdString();
            QTest::keyClicks(sheet->focusWidget(), "typed");
            EXPECT_TRUE(NameEdit(sheet)->text().endsWith("typed"));
            sheet->reject();
        });
    }
}

class CameraSwitchConfTest : public OtherSheetsTest {
  protected:
    void SetUp() override {
        OtherSheetsTest::SetUp();
        // Settings order: Yard, Office (Door, Back, Inner/Shelf, Tour), Gate.
        AddCamera("/CameraCollection", "Yard", "192.168.0.90");
        AddItem("/CameraCollection", "Office", "Folder");
        AddCamera("/CameraCollection/Office", "Door", "192.168.0.91");
        AddItem("/CameraCollection/Office", "Back", "LiveSite");
        AddItem("/CameraCollection/Office", "Inner", "Folder");
        AddCamera("/CameraCollection/Office/Inner", "Shelf", "192.168.0.92");
        AddItem("/CameraCollection/Office", "Tour", "CameraSwitch");
        AddCamera("/CameraCollection", "Gate", "192.168.0.93");
    }
};

TEST_F(CameraSwitchConfTest, ACheckedFolderStoresItsCamerasAndSitesInCollectionOrder) {
    CameraSwitchConf dialog(nullptr, Path("/CameraCollection"), QString());
    EXPECT_EQ(dialog.windowTitle(), "Camera Switch Properties");
    const int result = Run(dialog, [&] {
        EXPECT_EQ(NameEdit(&dialog)->text(), "Camera Switch");
        EXPECT_EQ(Control<QSpinBox>(&dialog, ControlId::DisplayTime)->value(), 5);
        CollectionTree* tree = Tree(&dialog);
        tree->SelectPath("/CameraCollection/Office/Tour");
        QString selected;
        EXPECT_FALSE(tree->SelectedPath(selected)) << "no switches in the picker";
        tree->ToggleCheck("/CameraCollection/Gate");
        tree->ToggleCheck("/CameraCollection/Office");
        Click(&dialog, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(dialog.ItemPath(), "/CameraCollection/Camera Switch");
    EXPECT_EQ(Members("/CameraCollection/Camera Switch"),
              QStringList(
                  {"Camera_000=/CameraCollection/Office/Door", "Camera_001=/CameraCollection/Office/Back",
                   "Camera_002=/CameraCollection/Office/Inner/Shelf", "Camera_003=/CameraCollection/Gate"}));
    EXPECT_EQ(Settings().GetValue("/CameraCollection/Camera Switch/NbrOfCameras").GetInt(), 4);
    EXPECT_EQ(Settings().GetValue("/CameraCollection/Camera Switch/DisplayTime").GetInt(), 5);
    EXPECT_EQ(Value("/CameraCollection/Camera Switch/Type"), "CameraSwitch");
}

TEST_F(CameraSwitchConfTest, TheSpinButtonReaches100WhichIsRefusedWhile0IsAccepted) {
    CameraSwitchConf dialog(nullptr, Path("/CameraCollection"), QString());
    const int result = Run(dialog, [&] {
        auto* spin = Control<QSpinBox>(&dialog, ControlId::DisplayTime);
        spin->setValue(99);
        spin->setFocus();
        QTest::keyClick(spin, Qt::Key_Up);
        EXPECT_EQ(spin->value(), 100);
        Click(&dialog, QDialogButtonBox::Ok);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(MessageBoxSeam::Shown(), QStringList({DisplayTimeMessage("100")}));
        EXPECT_EQ(dialog.focusWidget(), spin);
        QTest::keyClick(spin, Qt::Key_Up);
        EXPECT_EQ(spin->value(), 0) << "wraps around";
        Click(&dialog, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Settings().GetValue("/CameraCollection/Camera Switch/DisplayTime").GetInt(), 0);
    EXPECT_FALSE(Settings().Exists("/CameraCollection/Camera Switch/Cameras")) << "no members";
    EXPECT_EQ(Settings().GetValue("/CameraCollection/Camera Switch/NbrOfCameras").GetInt(), 0);
}

TEST_F(CameraSwitchConfTest, ARenamedSwitchStaysInItsFolderWithItsMembers) {
    const Node tour = Settings().GetNode("/CameraCollection/Office/Tour");
    tour.SetValue("DisplayTime", Data(12));
    tour.SetValue("Cameras/Camera_000", Data("/CameraCollection/Gate"));
    tour.SetValue("Cameras/Camera_001", Data("/CameraCollection/Gone"));
    tour.SetValue("Cameras/Camera_002", Data("/CameraCollection/Office/Door"));
    CameraSwitchConf dialog(nullptr, Path("/CameraCollection/Office"), "Tour");
    const int result = Run(dialog, [&] {
        EXPECT_EQ(Control<QSpinBox>(&dialog, ControlId::DisplayTime)->value(), 12);
        EXPECT_EQ(Tree(&dialog)->CheckedPaths(),
                  QStringList({"/CameraCollection", "/CameraCollection/Office",
                               "/CameraCollection/Office/Door", "/CameraCollection/Gate"}));
        NameEdit(&dialog)->setText("Night tour");
        Click(&dialog, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(dialog.ItemPath(), "/CameraCollection/Office/Night tour");
    EXPECT_FALSE(Settings().Exists("/CameraCollection/Office/Tour"));
    EXPECT_EQ(Settings().GetValue("/CameraCollection/Office/Night tour/DisplayTime").GetInt(), 12);
    EXPECT_EQ(Members("/CameraCollection/Office/Night tour"),
              QStringList({"Camera_000=/CameraCollection/Office/Door", "Camera_001=/CameraCollection/Gate"}));
}

TEST_F(CameraSwitchConfTest, TheNameIsCheckedInItsFolder) {
    CameraSwitchConf dialog(nullptr, Path("/CameraCollection/Office"), QString());
    const int refused = Run(dialog, [&] {
        NameEdit(&dialog)->setText("Door");
        Click(&dialog, QDialogButtonBox::Ok);
        EXPECT_EQ(MessageBoxSeam::Shown(), QStringList({QString::fromUtf16(ValidationMessage::kNameExists)}));
        EXPECT_EQ(dialog.focusWidget(), NameEdit(&dialog));
        dialog.reject();
    });
    EXPECT_EQ(refused, 0);
    EXPECT_EQ(Value("/CameraCollection/Office/Door/Type"), "Camera");

    CameraSwitchConf again(nullptr, Path("/CameraCollection/Office"), QString());
    const int accepted = Run(again, [&] {
        NameEdit(&again)->setText("door");
        Click(&again, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(accepted, 1) << "another case is another name";
    EXPECT_EQ(again.ItemPath(), "/CameraCollection/Office/door");
}

class FolderConfTest : public OtherSheetsTest {
  protected:
    void SetUp() override {
        OtherSheetsTest::SetUp();
        AddItem("/CameraCollection", "A", "Folder");
        AddItem("/CameraCollection/A", "B", "Folder");
        AddCamera("/CameraCollection/A", "Door", "192.168.0.90");
        AddItem("/CameraCollection", "AB", "Folder");
    }
};

TEST_F(FolderConfTest, MovingAFolderIntoItselfOrItsSubFolderIsRefused) {
    FolderConf dialog(nullptr, Path("/CameraCollection"), "A");
    EXPECT_EQ(dialog.windowTitle(), "Folder Properties");
    const QString refused = QString::fromUtf16(ValidationMessage::kMoveIntoSubFolder);
    const int result = Run(dialog, [&] {
        CollectionTree* tree = Tree(&dialog);
        QString selected;
        EXPECT_TRUE(tree->SelectedPath(selected));
        EXPECT_EQ(selected, "/CameraCollection") << "the parent is selected";
        for (const char* into : {"/CameraCollection/A", "/CameraCollection/A/B"}) {
            MessageBoxSeam::Clear();
            tree->SelectPath(into);
            Click(&dialog, QDialogButtonBox::Ok);
            EXPECT_EQ(MessageBoxSeam::Shown(), QStringList({refused})) << into;
            EXPECT_EQ(dialog.focusWidget(), tree);
        }
        tree->SelectPath("/CameraCollection/AB");
        Click(&dialog, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(dialog.ItemPath(), "/CameraCollection/AB/A");
    EXPECT_EQ(Value("/CameraCollection/AB/A/Door/Address"), "192.168.0.90");
    EXPECT_TRUE(Settings().Exists("/CameraCollection/AB/A/B"));
    EXPECT_FALSE(Settings().Exists("/CameraCollection/A"));
}

TEST_F(FolderConfTest, RenamingAFolderMovesWhatItHolds) {
    FolderConf dialog(nullptr, Path("/CameraCollection"), "A");
    const int result = Run(dialog, [&] {
        NameEdit(&dialog)->setText("   ");
        Click(&dialog, QDialogButtonBox::Ok);
        EXPECT_EQ(MessageBoxSeam::Shown(), QStringList({QString::fromUtf16(ValidationMessage::kEmpty)}));
        EXPECT_EQ(dialog.focusWidget(), NameEdit(&dialog));
        NameEdit(&dialog)->setText(" Office ");
        Click(&dialog, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(dialog.ItemPath(), "/CameraCollection/Office");
    EXPECT_EQ(Value("/CameraCollection/Office/Name"), "Office");
    EXPECT_EQ(Value("/CameraCollection/Office/Door/Address"), "192.168.0.90");
}

TEST_F(FolderConfTest, NewFolderGoesIntoTheChosenFolder) {
    AddItem("/CameraCollection/AB", "Folder", "Folder");
    FolderConf dialog(nullptr, Path("/CameraCollection/AB"), QString());
    const int result = Run(dialog, [&] {
        EXPECT_EQ(NameEdit(&dialog)->text(), "Folder (1)");
        CollectionTree* tree = Tree(&dialog);
        QString selected;
        EXPECT_TRUE(tree->SelectedPath(selected));
        EXPECT_EQ(selected, "/CameraCollection/AB");
        tree->SelectPath("/CameraCollection/A/B");
        Click(&dialog, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(dialog.ItemPath(), "/CameraCollection/A/B/Folder (1)");
    EXPECT_EQ(Value("/CameraCollection/A/B/Folder (1)/Type"), "Folder");
}

TEST_F(FolderConfTest, CancelWritesNothing) {
    FolderConf dialog(nullptr, Path("/CameraCollection"), QString());
    EXPECT_EQ(Run(dialog, [&] { Click(&dialog, QDialogButtonBox::Cancel); }), 0);
    EXPECT_FALSE(Settings().Exists("/CameraCollection/Folder"));
}

} // namespace
