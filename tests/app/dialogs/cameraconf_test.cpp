// The camera's property sheet driven like a user: naming, the checks of every page with their
// messages and focus, writing back on OK only, moving through the folder page, and the image
// page's choices.

#include "app/dialogs/cameraconf.h"
#include "app/dialogs/cameraconfgeneral.h"
#include "app/dialogs/cameraconfimage.h"
#include "app/dialogs/motionmaskeditor.h"

#include "collection/camera.h"
#include "collection/collectiontree.h"
#include "collection/validation.h"
#include "tests/app/dialogs/dialogfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

namespace {

class CameraConfTest : public DialogTest {
  protected:
    // Opens the sheet modally; the handler works in it while it shows. The sheet's result.
    int Run(CameraConf& sheet, std::function<void()> handler) {
        WhenShown<CameraConf>([handler](CameraConf*) { handler(); });
        return sheet.DoModal();
    }
    static QLineEdit* Edit(QWidget* sheet, int id) { return Control<QLineEdit>(sheet, id); }
    static void ChooseTab(CameraConf& sheet, int index) {
        sheet.findChild<QTabWidget*>()->setCurrentIndex(index);
    }
    static QStringList Entries(QComboBox* list) {
        QStringList entries;
        for (int i = 0; i < list->count(); ++i)
            entries.append(list->itemText(i));
        return entries;
    }
    static Camera Stored(const QString& path) {
        Camera camera;
        camera.Load(Settings().GetNode(path));
        return camera;
    }
};

TEST_F(CameraConfTest, NewCameraGetsTheFirstFreeNameAndIsWrittenOnOk) {
    AddCamera("/CameraCollection", "Camera", "192.168.0.90");
    AddCamera("/CameraCollection", "Camera (1)", "192.168.0.91");
    CameraConf sheet(nullptr, Path("/CameraCollection"), QString());
    EXPECT_EQ(sheet.windowTitle(), "Camera Properties");
    const int result = Run(sheet, [&] {
        EXPECT_EQ(Edit(&sheet, ControlId::Name)->text(), "Camera (2)");
        EXPECT_EQ(Edit(&sheet, ControlId::Port)->text(), "80");
        EXPECT_EQ(Control<QLabel>(&sheet, ControlId::StatusValue)->text(), "Unknown");
        EXPECT_EQ(Control<QLabel>(&sheet, ControlId::CameraTypeValue)->text(), "Unknown ");
        Edit(&sheet, ControlId::Address)->setText("  192.168.0.92 ");
        EXPECT_FALSE(Settings().Exists("/CameraCollection/Camera (2)")) << "written before OK";
        Click(&sheet, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(sheet.ItemPath(), "/CameraCollection/Camera (2)");
    EXPECT_EQ(Value("/CameraCollection/Camera (2)/Address"), "192.168.0.92");
    EXPECT_EQ(Value("/CameraCollection/Camera (2)/Type"), "Camera");
    EXPECT_EQ(Settings().GetValue("/CameraCollection/Camera (2)/Port").GetInt(), 80);
    EXPECT_TRUE(MessageBoxSeam::Shown().isEmpty());
}

struct Refusal {
    const char* name;
    int field;
    QString entered;
    QString message;
};

void PrintTo(const Refusal& refusal, std::ostream* out) {
    *out << refusal.name;
}

class CameraConfRefusalTest : public CameraConfTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(CameraConfRefusalTest, KeepsTheSheetOpenWithTheMessageAndTheFocusOnTheField) {
    AddCamera("/CameraCollection", "Door", "192.168.0.90");
    AddCamera("/CameraCollection", "Yard", "192.168.0.91");
    const Refusal& refusal = GetParam();
    CameraConf sheet(nullptr, Path("/CameraCollection"), "Door");
    const int result = Run(sheet, [&] {
        Edit(&sheet, refusal.field)->setText(refusal.entered);
        Click(&sheet, QDialogButtonBox::Ok);
        EXPECT_TRUE(sheet.isVisible());
        EXPECT_EQ(MessageBoxSeam::Shown(), QStringList({refusal.message}));
        EXPECT_EQ(sheet.focusWidget(), Edit(&sheet, refusal.field));
        sheet.reject();
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Value("/CameraCollection/Door/Address"), "192.168.0.90");
    EXPECT_EQ(Value("/CameraCollection/Door/Name"), "Door");
}

QString PortMessage(const QString& entered) {
    int port = 0;
    return ValidatePort(entered, port);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, CameraConfRefusalTest,
    ::testing::Values(
        Refusal{"Blanks", ControlId::Name, "   ", QString::fromUtf16(ValidationMessage::kEmpty)},
        Refusal{"Hash", ControlId::Name, "Front-Door#1",
                QString::fromUtf16(ValidationMessage::kItemNameCharacters)},
        Refusal{"Sibling", ControlId::Name, "Yard", QString::fromUtf16(ValidationMessage::kNameExists)},
        Refusal{"Underscore", ControlId::Address, "my_camera",
                QString::fromUtf16(ValidationMessage::kAddressCharacters)},
        Refusal{"EmptyAddress", ControlId::Address, "", QString::fromUtf16(ValidationMessage::kEmpty)},
        Refusal{"PortZero", ControlId::Port, "0", PortMessage("0")},
        Refusal{"PortTooHigh", ControlId::Port, "65536", PortMessage("65536")}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

TEST_F(CameraConfTest, OkWithoutChangesKeepsThePathAndTheValues) {
    AddCamera("/CameraCollection", "Door", "192.168.0.90");
    Settings().SetValue("/CameraCollection/Door/Compression", Data("30"));
    const Camera before = Stored("/CameraCollection/Door");
    CameraConf sheet(nullptr, Path("/CameraCollection"), "Door");
    EXPECT_EQ(Run(sheet, [&] { Click(&sheet, QDialogButtonBox::Ok); }), 1);
    EXPECT_EQ(sheet.ItemPath(), "/CameraCollection/Door");
    const Camera after = Stored("/CameraCollection/Door");
    EXPECT_EQ(after.address, before.address);
    EXPECT_EQ(after.compression, "30");
    EXPECT_EQ(after.port, 80);
}

TEST_F(CameraConfTest, RenameMovesTheNodeAndCancelWritesNothing) {
    AddCamera("/CameraCollection", "Door", "192.168.0.90");
    {
        CameraConf sheet(nullptr, Path("/CameraCollection"), "Door");
        Run(sheet, [&] {
            Edit(&sheet, ControlId::Name)->setText("Back door");
            ChooseTab(sheet, 2);
            EXPECT_EQ(sheet.GetActiveIndex(), 2);
            EXPECT_FALSE(Settings().Exists("/CameraCollection/Back door")) << "written before OK";
            sheet.reject();
        });
        EXPECT_TRUE(Settings().Exists("/CameraCollection/Door"));
        EXPECT_FALSE(Settings().Exists("/CameraCollection/Back door"));
    }
    CameraConf sheet(nullptr, Path("/CameraCollection"), "Door");
    const int result = Run(sheet, [&] {
        Edit(&sheet, ControlId::Name)->setText("Back door");
        Click(&sheet, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(sheet.ItemPath(), "/CameraCollection/Back door");
    EXPECT_FALSE(Settings().Exists("/CameraCollection/Door"));
    EXPECT_EQ(Value("/CameraCollection/Back door/Address"), "192.168.0.90");
}

TEST_F(CameraConfTest, ARefusedValueKeepsItsPageActive) {
    AddCamera("/CameraCollection", "Door", "192.168.0.90");
    CameraConf sheet(nullptr, Path("/CameraCollection"), "Door");
    Run(sheet, [&] {
        Edit(&sheet, ControlId::Address)->setText("cam:80");
        ChooseTab(sheet, 1);
        EXPECT_EQ(sheet.GetActiveIndex(), 0);
        EXPECT_EQ(sheet.findChild<QTabWidget*>()->currentIndex(), 0);
        EXPECT_EQ(MessageBoxSeam::Shown(),
                  QStringList({QString::fromUtf16(ValidationMessage::kAddressCharacters)}));
        EXPECT_EQ(sheet.focusWidget(), Edit(&sheet, ControlId::Address));
        sheet.reject();
    });
}

TEST_F(CameraConfTest, SecurityPageChecksTheCredentials) {
    AddCamera("/CameraCollection", "Door", "192.168.0.90");
    CameraConf sheet(nullptr, Path("/CameraCollection"), "Door");
    const int result = Run(sheet, [&] {
        ChooseTab(sheet, 2);
        Edit(&sheet, ControlId::UserName)->setText("cam 1");
        Click(&sheet, QDialogButtonBox::Ok);
        EXPECT_EQ(MessageBoxSeam::Shown(),
                  QStringList({QString::fromUtf16(ValidationMessage::kCredentialCharacters)}));
        EXPECT_EQ(sheet.focusWidget(), Edit(&sheet, ControlId::UserName));
        Edit(&sheet, ControlId::UserName)->setText(" Cam_1 ");
        Edit(&sheet, ControlId::Password)->setText("pass(word).");
        Click(&sheet, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Value("/CameraCollection/Door/UserName"), "Cam_1");
    EXPECT_EQ(Value("/CameraCollection/Door/Password"), "pass(word).");
}

TEST_F(CameraConfTest, FolderPageMovesTheCameraOnOk) {
    AddItem("/CameraCollection", "Office", "Folder");
    AddCamera("/CameraCollection", "Door", "192.168.0.90");
    CameraConf sheet(nullptr, Path("/CameraCollection"), "Door");
    const int result = Run(sheet, [&] {
        ChooseTab(sheet, 3);
        auto* tree = Control<CollectionTree>(&sheet, ControlId::FolderTree);
        QString selected;
        EXPECT_TRUE(tree->SelectedPath(selected));
        EXPECT_EQ(selected, "/CameraCollection") << "the camera's own folder is selected";
        EXPECT_EQ(tree->topLevelItem(0)->childCount(), 1) << "folders only";
        tree->SelectPath("/CameraCollection/Office");
        Click(&sheet, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(sheet.ItemPath(), "/CameraCollection/Office/Door");
    EXPECT_FALSE(Settings().Exists("/CameraCollection/Door"));
    EXPECT_EQ(Value("/CameraCollection/Office/Door/Address"), "192.168.0.90");
}

TEST_F(CameraConfTest, FolderPageRefusesAFolderThatHoldsTheNameAndKeepsItWithoutAChoice) {
    AddItem("/CameraCollection", "Office", "Folder");
    AddCamera("/CameraCollection/Office", "Door", "192.168.0.91");
    AddCamera("/CameraCollection", "Door", "192.168.0.90");
    CameraConf sheet(nullptr, Path("/CameraCollection"), "Door");
    const int result = Run(sheet, [&] {
        ChooseTab(sheet, 3);
        auto* tree = Control<CollectionTree>(&sheet, ControlId::FolderTree);
        tree->SelectPath("/CameraCollection/Office");
        Click(&sheet, QDialogButtonBox::Ok);
        EXPECT_EQ(MessageBoxSeam::Shown(), QStringList({QString::fromUtf16(ValidationMessage::kNameExists)}));
        EXPECT_EQ(sheet.focusWidget(), tree);
        tree->clearSelection();
        Click(&sheet, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(sheet.ItemPath(), "/CameraCollection/Door");
    EXPECT_EQ(Value("/CameraCollection/Office/Door/Address"), "192.168.0.91");
}

TEST_F(CameraConfTest, ImagePageOffersTheModelsChoicesAndResetsOneItDoesNotOffer) {
    AddCamera("/CameraCollection", "Door", "192.168.0.90");
    Settings().SetValue("/CameraCollection/Door/Model", Data("Alder"));
    Settings().SetValue("/CameraCollection/Door/Firmware", Data("2.10"));
    Settings().SetValue("/CameraCollection/Door/Resolution", Data("704x576 (PAL)"));
    Settings().SetValue("/CameraCollection/Door/Rotation", Data("180"));
    CameraConf sheet(nullptr, Path("/CameraCollection"), "Door");
    const int result = Run(sheet, [&] {
        ChooseTab(sheet, 1);
        auto* resolution = Control<QComboBox>(&sheet, ControlId::Resolution);
        EXPECT_EQ(Entries(resolution), QStringList({"Default", "320x240", "640x480"}));
        EXPECT_EQ(resolution->currentText(), "Default");
        EXPECT_EQ(Entries(Control<QComboBox>(&sheet, ControlId::VideoSource)), QStringList({"Default", "1"}));
        auto* rotation = Control<QComboBox>(&sheet, ControlId::Rotation);
        EXPECT_EQ(Entries(rotation), QStringList({"0", "90", "180", "270"}));
        EXPECT_EQ(rotation->currentText(), "180");
        Control<QComboBox>(&sheet, ControlId::VideoSource)->setCurrentIndex(1);
        Click(&sheet, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Value("/CameraCollection/Door/Resolution"), "default");
    EXPECT_EQ(Value("/CameraCollection/Door/CameraNumber"), "1");
    EXPECT_EQ(Value("/CameraCollection/Door/Rotation"), "180");
}

TEST_F(CameraConfTest, ImagePageOffersOnlyDefaultForFirmwareOlderThanTheTable) {
    AddCamera("/CameraCollection", "Door", "192.168.0.90");
    Settings().SetValue("/CameraCollection/Door/Model", Data("Cedar"));
    Settings().SetValue("/CameraCollection/Door/Firmware", Data("2.05"));
    CameraConf sheet(nullptr, Path("/CameraCollection"), "Door");
    Run(sheet, [&] {
        ChooseTab(sheet, 1);
        EXPECT_EQ(Entries(Control<QComboBox>(&sheet, ControlId::Resolution)), QStringList({"Default"}));
        EXPECT_EQ(Entries(Control<QComboBox>(&sheet, ControlId::VideoSource)), QStringList({"Default"}));
        sheet.reject();
    });
    EXPECT_TRUE(Logged(":W:CameraConfImage::FillLists - Camera model 'Cedar', firmware '2.05' not supported"))
        << Console();
}

TEST_F(CameraConfTest, TheTypeLineShowsUnknownForTheUnknownModel) {
    AddCamera("/CameraCollection", "Door", "192.168.0.90");
    Settings().SetValue("/CameraCollection/Door/Firmware", Data("4.01"));
    CameraConf sheet(nullptr, Path("/CameraCollection"), "Door");
    Run(sheet, [&] {
        EXPECT_EQ(Control<QLabel>(&sheet, ControlId::CameraTypeValue)->text(), "Unknown 4.01");
        sheet.reject();
    });
}

// The Motion page: a drag over the picture marks an area where nothing counts, a click marks
// none, a right click takes away the area under it; OK writes the page's values with the item.
TEST_F(CameraConfTest, MotionPageMarksAreasByDraggingAndWritesThemOnOk) {
    AddCamera("/CameraCollection", "Door", "192.168.0.90");
    CameraConf sheet(nullptr, Path("/CameraCollection"), "Door");
    const int result = Run(sheet, [&] {
        ChooseTab(sheet, 4);
        Control<QCheckBox>(&sheet, ControlId::MotionDetect)->setChecked(true);
        Control<QSpinBox>(&sheet, ControlId::MotionSensitivity)->setValue(80);
        Control<QCheckBox>(&sheet, ControlId::MotionRecord)->setChecked(true);
        Control<QSpinBox>(&sheet, ControlId::MotionAfter)->setValue(30);
        auto* mask = Control<MotionMaskEditor>(&sheet, ControlId::MotionMask);
        QWidget* layer = mask->childAt(10, 10);
        ASSERT_NE(layer, nullptr);
        // Points in shares of the editor.
        const auto drag = [layer](QPointF from, QPointF to, Qt::MouseButton button = Qt::LeftButton) {
            const auto at = [layer](QPointF share) {
                return QPoint(qRound(share.x() * layer->width()), qRound(share.y() * layer->height()));
            };
            QTest::mousePress(layer, button, {}, at(from));
            QTest::mouseMove(layer, at(to));
            QTest::mouseRelease(layer, button, {}, at(to));
        };
        drag({0.01, 0.01}, {0.5, 0.5});
        drag({0.75, 0.5}, {0.99, 0.99});
        drag({0.1, 0.8}, {0.1, 0.8}); // a click
        ASSERT_EQ(mask->Areas().size(), 2);
        drag({0.8, 0.6}, {0.8, 0.6}, Qt::RightButton);
        ASSERT_EQ(mask->Areas().size(), 1);
        Click(&sheet, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(result, 1);
    const Camera stored = Stored("/CameraCollection/Door");
    EXPECT_TRUE(stored.motion.detect);
    EXPECT_EQ(stored.motion.sensitivity, 80);
    EXPECT_EQ(stored.motion.recordAfter, 30);
    ASSERT_EQ(stored.motion.ignored.size(), 1);
    EXPECT_NEAR(stored.motion.ignored[0].width(), 0.5, 0.02);
    EXPECT_NEAR(stored.motion.ignored[0].height(), 0.5, 0.02);
}

} // namespace
