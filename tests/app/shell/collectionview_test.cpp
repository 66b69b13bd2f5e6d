// The collection view: opening, new items, properties and deletion, with the selection that
// follows and the saves after every change.

#include "tests/app/shell/viewerfixture.h"

#include "app/resources/resource.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/modal.h"
#include "settings/settingsstore.h"

#include <QDialog>

namespace {

class CollectionViewTest : public ViewerTest {
  protected:
    void AddFolder(const QString& path) {
        Settings().SetValue(path + "/Name", Data(Path::GetName(path)));
        Settings().SetValue(path + "/Type", Data("Folder"));
    }
    void AddPlainCamera(const QString& path) {
        Settings().SetValue(path + "/Name", Data(Path::GetName(path)));
        Settings().SetValue(path + "/Type", Data("Camera"));
    }
    void Select(const QString& path) {
        Tree().Refill();
        Tree().SelectPath(path);
        ASSERT_EQ(Selected(), path);
    }
};

TEST_F(CollectionViewTest, OpenPropertiesAndDeleteDoNothingOnTheCollectionRoot) {
    Start();
    Select("/CameraCollection");
    for (int command : {Command::Open, Command::Properties, Command::Delete}) {
        Frame().OnCommand(command);
        Pump(20);
    }
    EXPECT_EQ(Frame().ActiveView(), &Collection());
    EXPECT_TRUE(MessageBoxSeam::Shown().isEmpty());
    EXPECT_EQ(ModalSeam::Unexpected(), 0);
    EXPECT_TRUE(Settings().Exists("/CameraCollection/Name"));
    EXPECT_EQ(Frame().Bar().CurrentSet(), 130); // the bar was built again after Properties
    EXPECT_TRUE(Frame().Bar().HasCommand(Command::Open));
}

TEST_F(CollectionViewTest, OpeningAFolderExpandsItAndStaysInTheCollection) {
    Start();
    AddFolder("/CameraCollection/Office");
    AddPlainCamera("/CameraCollection/Office/Door");
    Select("/CameraCollection/Office");
    Tree().currentItem()->setExpanded(false);
    Frame().OnCommand(Command::Open);
    EXPECT_TRUE(Tree().currentItem()->isExpanded());
    EXPECT_EQ(Frame().ActiveView(), &Collection());
}

TEST_F(CollectionViewTest, ANewCameraSwitchAlwaysGoesUnderTheRoot) {
    Start();
    AddFolder("/CameraCollection/Office");
    AddPlainCamera("/CameraCollection/Office/Door");
    Select("/CameraCollection/Office/Door");
    ModalSeam::QueueHandler([](QDialog* sheet) { sheet->accept(); });
    Frame().OnCommand(Command::NewCameraSwitch);
    EXPECT_TRUE(Settings().Exists("/CameraCollection/Camera Switch/Type"));
    EXPECT_FALSE(Settings().Exists("/CameraCollection/Office/Camera Switch"));
    EXPECT_EQ(Selected(), "/CameraCollection/Camera Switch");
    EXPECT_EQ(Settings().GetValue("/Collection/SelectedPath").GetText(), "/CameraCollection/Camera Switch");
    EXPECT_FALSE(root.ReadFile("ZelSettings.arc").isEmpty()); // saved at once
    EXPECT_EQ(app->HelpAnchor(), "cameras");
}

TEST_F(CollectionViewTest, ANewCameraGoesIntoTheFolderOfTheSelectedCamera) {
    Start();
    AddFolder("/CameraCollection/Office");
    AddPlainCamera("/CameraCollection/Office/Camera");
    Select("/CameraCollection/Office/Camera");
    QString anchorDuringSheet;
    ModalSeam::QueueHandler([&](QDialog* sheet) {
        anchorDuringSheet = app->HelpAnchor();
        sheet->reject();
    });
    Frame().OnCommand(Command::NewCamera);
    EXPECT_EQ(anchorDuringSheet, "camprop");
    EXPECT_FALSE(Settings().Exists("/CameraCollection/Office/Camera (1)")); // cancelled: nothing made

    // The new camera needs an address before OK takes it; the sheet stays open until cancelled.
    bool stayedOpen = false;
    ModalSeam::QueueHandler([&stayedOpen](QDialog* sheet) {
        sheet->accept();
        stayedOpen = sheet->isVisible();
        sheet->reject();
    });
    Frame().OnCommand(Command::NewCamera);
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(MessageBoxSeam::Shown().contains("This field cannot be empty."));
    EXPECT_FALSE(Settings().Exists("/CameraCollection/Office/Camera (1)"));
}

TEST_F(CollectionViewTest, DeletingSelectsTheNextSiblingOrTheFolder) {
    Start();
    AddFolder("/CameraCollection/Office");
    AddPlainCamera("/CameraCollection/Office/A");
    AddPlainCamera("/CameraCollection/Office/B");
    AddPlainCamera("/CameraCollection/Office/C");
    AddFolder("/CameraCollection/Yard");
    AddPlainCamera("/CameraCollection/Yard/Only");

    Select("/CameraCollection/Office/A");
    MessageBoxSeam::QueueAnswer(IDYES);
    Frame().OnCommand(Command::Delete);
    EXPECT_EQ(MessageBoxSeam::Shown().value(0), "Are you sure you want to delete 'A'?");
    EXPECT_FALSE(Settings().Exists("/CameraCollection/Office/A"));
    EXPECT_EQ(Selected(), "/CameraCollection/Office/B");

    Select("/CameraCollection/Office/C");
    MessageBoxSeam::QueueAnswer(IDYES);
    Frame().OnCommand(Command::Delete);
    EXPECT_EQ(Selected(), "/CameraCollection/Office/B"); // the one before

    Select("/CameraCollection/Yard/Only");
    MessageBoxSeam::QueueAnswer(IDYES);
    Frame().OnCommand(Command::Delete);
    EXPECT_EQ(Selected(), "/CameraCollection/Yard");
    EXPECT_TRUE(Logged("ContainerView::OnDelete - Delete '/CameraCollection/Yard/Only'"));
}

TEST_F(CollectionViewTest, AnsweringNoChangesNeitherTheCollectionNorTheFile) {
    Start();
    AddPlainCamera("/CameraCollection/Door");
    Select("/CameraCollection/Door");
    ModalSeam::QueueHandler([](QDialog* sheet) { sheet->reject(); });
    Frame().OnCommand(Command::Properties); // saves, even when cancelled
    const QByteArray before = root.ReadFile("ZelSettings.arc");
    ASSERT_FALSE(before.isEmpty());
    MessageBoxSeam::QueueAnswer(IDNO);
    Frame().OnCommand(Command::Delete);
    EXPECT_TRUE(Settings().Exists("/CameraCollection/Door"));
    EXPECT_EQ(root.ReadFile("ZelSettings.arc"), before);
    EXPECT_EQ(Selected(), "/CameraCollection/Door");
}

} // namespace
