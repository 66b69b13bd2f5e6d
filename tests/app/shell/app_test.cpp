// The viewer as a whole: first start, start-up failures, exit, the open-camera sequence, help.

#include "tests/app/shell/viewerfixture.h"

#include "app/resources/resource.h"
#include "app/shell/gridview.h"
#include "app/shell/helpwindow.h"
#include "app/shell/startoptions.h"
#include "platform/com/runtime.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/modal.h"
#include "settings/archivefile.h"
#include "settings/settingsstore.h"

#include "tests/support/filesystemfaults.h"

#include <lumenfold_version.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QProcess>
#include <QTest>
#include <QTextBrowser>

#include <signal.h>

namespace {

TEST_F(ViewerTest, AFirstStartShowsTheCollectionWithTheDemonstrationSites) {
    Start();
    ASSERT_EQ(Tree().topLevelItemCount(), 1);
    const QTreeWidgetItem* root = Tree().topLevelItem(0);
    EXPECT_EQ(root->text(0), "Cameras");
    ASSERT_EQ(root->childCount(), 2);
    EXPECT_EQ(root->child(0)->text(0), "Harbour Live");
    EXPECT_EQ(root->child(1)->text(0), "Market Square Live");
    EXPECT_EQ(Frame().windowTitle(), "Lumenfold");
    EXPECT_EQ(
        Frame().Bar().FirstPopupTexts(),
        QStringList({"Open", "View as Grid\tShift+Enter", "---", "New Camera...", "New Folder...",
                     "New Camera Switch...", "New Live View Site...", "---", "Properties", "---", "Delete"}));
    EXPECT_EQ(app->HelpAnchor(), "cameras");
    EXPECT_TRUE(MessageBoxSeam::Shown().isEmpty());
}

TEST_F(ViewerTest, AMissingStreamControlIsExplainedAndTheViewerCloses) {
    SetComponentSearchPathsForTest({root.File("nothing-here")});
    app = std::make_unique<ZelPPCApp>();
    ASSERT_TRUE(app->InitInstance());
    ASSERT_TRUE(PumpUntil([this] { return app->Frame() == nullptr; }));
    const QStringList shown = MessageBoxSeam::Shown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], "myCameraImage.CoCreateInstance(CLSID_CamImage) returned error code 0x80040154");
    EXPECT_EQ(shown[1], "The Camera Control could not be accessed. The application needs to be reinstalled.");
    EXPECT_TRUE(Logged(":E:ContainerView::OnUpdate - No Camera Control was created"));
    EXPECT_EQ(app->ExitInstance(), 1) << "could not start";
    app.reset();

    // A wall display closes without a box.
    MessageBoxSeam::Clear();
    StartUnattended("/CameraCollection");
    EXPECT_TRUE(PumpUntil([this] { return app->Frame() == nullptr; }));
    EXPECT_TRUE(MessageBoxSeam::Shown().isEmpty());
}

class DamagedSettingsTest : public ViewerTest {
  protected:
    void SetUp() override {
        ViewerTest::SetUp();
        root.WriteFile("windows/ZelPPCLog.log", QByteArray()); // the file log is on
        QFile golden(TestDataFile("settings/collection.arc"));
        ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
        damaged = golden.read(200);
        root.WriteFile("ZelSettings.arc", damaged);
    }
    // The one message box that tells of the damaged file, once the main window is on screen.
    QString Told() {
        EXPECT_TRUE(PumpUntil([] { return !MessageBoxSeam::Shown().isEmpty(); }));
        Pump(50);
        const QStringList shown = MessageBoxSeam::Shown();
        EXPECT_EQ(shown.size(), 1) << shown.join('\n').toStdString();
        return shown.value(0);
    }

    QByteArray damaged;
};

TEST_F(DamagedSettingsTest, AreLoggedToTheLogFileAndToldOnceWithWhereTheFileWent) {
    Start();
    EXPECT_TRUE(Frame().isVisible());
    const QString told = Told();
    const QStringList kept = QDir(root.Path()).entryList({"ZelSettings.arc.damaged-*"}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(told, "The settings file '" + root.File("ZelSettings.arc") +
                        "' could not be read. The damaged file was "
                        "kept as '" +
                        root.File(kept[0]) + "'. Lumenfold started with the initial camera collection.");
    EXPECT_EQ(root.ReadFile(kept[0]), damaged);
    const QByteArray log = root.ReadFile("windows/ZelPPCLog.log");
    EXPECT_TRUE(log.contains("ZelPPC:E:LoadSettings - Settings file '" +
                             root.File("ZelSettings.arc").toUtf8() + "' is damaged at byte "))
        << log.toStdString();
    EXPECT_EQ(Tree().topLevelItem(0)->childCount(), 2); // the demonstration sites
}

TEST_F(DamagedSettingsTest, ThatCannotBeMovedAsideAreToldSoAndNeverSavedOver) {
    {
        ReadOnlyFolder readOnly(root.Path());
        Start();
    }
    EXPECT_EQ(
        Told(),
        "The settings file '" + root.File("ZelSettings.arc") +
            "' could not be read, and the damaged "
            "file could not be moved aside. Lumenfold started with the initial camera collection and will "
            "not save its settings over that file.");
    Exit();
    EXPECT_EQ(root.ReadFile("ZelSettings.arc"), damaged);
}

TEST_F(DamagedSettingsTest, DoNotStopAWallDisplayWithABox) {
    StartUnattended("/CameraCollection", true);
    Pump(200);
    EXPECT_EQ(Frame().ActiveView(), Frame().Grid());
    EXPECT_TRUE(MessageBoxSeam::Shown().isEmpty());
}

TEST_F(ViewerTest, ExitLogsAndSavesTheSettings) {
    Start();
    Settings().SetValue("/View/Rotation", Data(180));
    Exit();
    EXPECT_TRUE(Logged(":I:ZelPPCApp::ExitInstance - Exit"));
    Node saved;
    ASSERT_EQ(LoadArchiveFile(saved, root.File("ZelSettings.arc")).status, LoadStatus::Loaded);
    EXPECT_EQ(saved.GetValue("/View/Rotation").GetInt(), 180);
    EXPECT_TRUE(saved.Exists("/CameraCollection/Harbour Live"));
}

TEST_F(ViewerTest, OpeningACameraGoesThroughTheViewTheFrameAndTheCameraViewInThatOrder) {
    InProcessCamsim camera;
    Start();
    AddCamera("/CameraCollection/Door", camera);
    ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Door"));
    const int open = LogIndex("ContainerView::OnOpen '/CameraCollection/Door'");
    const int frame = LogIndex("MainFrame::OnViewCameraView");
    const int start = LogIndex("CameraView::OnStartCamera - begin");
    ASSERT_GE(open, 0);
    EXPECT_LT(open, frame);
    EXPECT_LT(frame, start);
    EXPECT_EQ(Settings().GetValue("/View/ActiveCameraView").GetText(), "/CameraCollection/Door");
    EXPECT_EQ(Settings().GetValue("/View/Command").GetText(), "Open");
    EXPECT_EQ(app->HelpAnchor(), "view");

    Frame().OnCommand(Command::Action); // back to the collection
    ASSERT_TRUE(PumpUntil([this] { return Frame().ActiveView() == &Collection(); }));
    EXPECT_EQ(Frame().windowTitle(), "Lumenfold");
    EXPECT_FALSE(Camera().IsConnected());
}

// F1 inside a property sheet opens the help at the sheet's topic, over the sheet, where it
// takes input while the sheet waits.
TEST_F(ViewerTest, F1InEveryPropertySheetOpensTheHelpAtItsTopic) {
    Start();
    const struct {
        int command;
        const char* anchor;
    } sheets[] = {{Command::NewCamera, "camprop"},
                  {Command::NewLiveSite, "liveview"},
                  {Command::NewFolder, "folder"},
                  {Command::NewCameraSwitch, "camswitch"}};
    for (const auto& sheet : sheets) {
        SCOPED_TRACE(sheet.anchor);
        QString topic;
        bool overTheSheet = false;
        ModalSeam::QueueHandler([&](QDialog* dialog) {
            dialog->activateWindow();
            EXPECT_TRUE(PumpUntil([dialog] { return QApplication::activeWindow() == dialog; }));
            QTest::keyClick(dialog, Qt::Key_F1);
            if (PumpUntil([] { return HelpWindow::Window() && HelpWindow::Window()->isVisible(); }, 2000)) {
                topic = HelpWindow::Window()->source().fragment();
                overTheSheet = HelpWindow::Window()->isModal();
                HelpWindow::Window()->close();
            }
            dialog->reject();
        });
        Frame().OnCommand(sheet.command);
        EXPECT_EQ(topic, sheet.anchor);
        EXPECT_TRUE(overTheSheet);
    }
    // Outside a dialog the help is a window beside the viewer.
    Frame().OnCommand(Command::Help);
    ASSERT_NE(HelpWindow::Window(), nullptr);
    EXPECT_FALSE(HelpWindow::Window()->isModal());
}

TEST_F(ViewerTest, HelpOpensAtTheCurrentAnchorAndNotWithoutOne) {
    Start();
    Frame().OnCommand(Command::Help);
    ASSERT_NE(HelpWindow::Window(), nullptr);
    EXPECT_EQ(HelpWindow::Window()->source().fragment(), "cameras");
    EXPECT_TRUE(HelpWindow::Window()->toPlainText().contains("The camera collection"));
    HelpWindow::Window()->close();
    Pump(20);
    app->SetHelpAnchor(QString());
    Frame().OnCommand(Command::Help);
    EXPECT_EQ(HelpWindow::Window(), nullptr);

    // Open help goes with the viewer: the program ends when the main window closes.
    app->SetHelpAnchor("view");
    Frame().OnCommand(Command::Help);
    ASSERT_NE(HelpWindow::Window(), nullptr);
    Frame().close();
    EXPECT_FALSE(HelpWindow::Window() && HelpWindow::Window()->isVisible());
}

TEST_F(ViewerTest, TheHelpMenuOpensTheHelpAndEscapeOrCtrlWClosesIt) {
    Start();
    EXPECT_EQ(Frame().menuBar()->actions().last()->text(), "Help");
    for (const QKeyCombination keys : {QKeyCombination(Qt::Key_Escape), Qt::CTRL | Qt::Key_W}) {
        Frame().Bar().Action(Command::Help)->trigger();
        ASSERT_TRUE(PumpUntil(
            [] { return HelpWindow::Window() && QApplication::activeWindow() == HelpWindow::Window(); }));
        QTest::keyClick(HelpWindow::Window(), keys.key(), keys.keyboardModifiers());
        EXPECT_FALSE(HelpWindow::Window()->isVisible());
        Pump(20); // the closed window is deleted
    }
}

TEST_F(ViewerTest, AboutShowsTheVersion) {
    Start();
    QString title;
    ModalSeam::QueueHandler([&title](QDialog* dialog) {
        title = dialog->windowTitle();
        dialog->accept();
    });
    Frame().OnCommand(Command::AboutLumenfold);
    EXPECT_EQ(title, "About Lumenfold");
    EXPECT_EQ(ModalSeam::Unexpected(), 0);
}

TEST_F(ViewerTest, OpenStartsInTheCameraViewOrTheGridOfAnItem) {
    InProcessCamsim camera;
    Start();
    Settings().SetValue("/CameraCollection/Yard/Type", Data("Folder"));
    Settings().SetValue("/CameraCollection/Yard/Name", Data("Yard"));
    AddCamera("/CameraCollection/Yard/Door", camera);
    Exit();

    StartOptions options;
    options.openPath = "Cameras/Yard/Door"; // the names the collection tree shows
    app = std::make_unique<ZelPPCApp>();
    ASSERT_TRUE(app->InitInstance(options));
    ASSERT_TRUE(PumpUntil([this] {
        return Frame().ActiveView() == &Camera() && Camera().IsConnected() &&
               Camera().HostWindow()->isVisible();
    }));
    EXPECT_EQ(Frame().windowTitle(), "Door");
    Frame().OnCommand(Command::Action); // back to the collection, with the item selected
    ASSERT_TRUE(PumpUntil([this] { return Frame().ActiveView() == &Collection(); }));
    EXPECT_EQ(Selected(), "/CameraCollection/Yard/Door");
    Exit();
    Node placed; // a place of its own, in a corner of the screen
    ASSERT_EQ(LoadArchiveFile(placed, root.File("ZelSettings.arc")).status, LoadStatus::Loaded);
    placed.SetValue("/View/WindowX", Data(0));
    placed.SetValue("/View/WindowY", Data(0));
    ASSERT_TRUE(SaveArchiveFile(placed, root.File("ZelSettings.arc"), u"", ""));

    options.openPath = "/CameraCollection/Yard";
    options.grid = true;
    options.fullScreen = true;
    options.screen = 0;
    app = std::make_unique<ZelPPCApp>();
    ASSERT_TRUE(app->InitInstance(options));
    ASSERT_TRUE(PumpUntil(
        [this] { return Frame().ActiveView() == Frame().Grid() && Frame().Grid()->Tiles().size() == 1; }));
    EXPECT_TRUE(Frame().isFullScreen());
    Exit();
    Node saved; // full screen on that screen for this start only: a plain start is not
    ASSERT_EQ(LoadArchiveFile(saved, root.File("ZelSettings.arc")).status, LoadStatus::Loaded);
    EXPECT_FALSE(saved.GetValue("/View/FullScreen").GetBool());
    EXPECT_EQ(QPoint(saved.GetValue("/View/WindowX").GetInt(), saved.GetValue("/View/WindowY").GetInt()),
              QPoint(0, 0));

    options.openPath = "/CameraCollection/Nowhere";
    app = std::make_unique<ZelPPCApp>();
    EXPECT_FALSE(app->InitInstance(options));
    EXPECT_EQ(app->FailedStartCode(), 2);
    EXPECT_EQ(app->Frame(), nullptr);
    app.reset();
}

// The program itself: what it prints and its exit status.
struct ProgramRun {
    int status = -1;
    QString out;
    QString error;
};

ProgramRun Zelppc(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(ZELPPC_PROGRAM), arguments);
    ProgramRun run;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished(5000);
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.error = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

TEST(ZelppcCommandLineTest, HelpVersionAndBadArgumentsAnswerWithoutAWindow) {
    TemporaryDataRoot root;
    const ProgramRun help = Zelppc({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: zelppc [--open PATH [--grid]] [--fullscreen] [--screen N]\n"));
    EXPECT_TRUE(help.out.contains("--version"));
    const ProgramRun version = Zelppc({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "zelppc " LUMENFOLD_VERSION "\n");

    const ProgramRun nowhere = Zelppc({"--open", "/CameraCollection/Nowhere", "--grid"});
    EXPECT_EQ(nowhere.status, 2);
    EXPECT_TRUE(
        nowhere.error.contains("zelppc: there is no camera, live view site, camera switch or folder at "
                               "'/CameraCollection/Nowhere'\n"))
        << nowhere.error.toStdString();
    EXPECT_FALSE(QFile::exists(root.File("ZelSettings.arc"))); // it did not start, so it saved nothing
    root.WriteFile("ZelSettings.arc", "not settings"); // moved aside: told though the start is refused
    EXPECT_TRUE(Zelppc({"--open", "/CameraCollection/Nowhere"}).error.contains("ZelSettings.arc.damaged-"));
    const ProgramRun unknown = Zelppc({"--opne", "/CameraCollection"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.error.contains("zelppc: unknown option '--opne'"));
    EXPECT_EQ(Zelppc({"--open"}).status, 2);
    EXPECT_EQ(Zelppc({"--grid"}).status, 2);
    const ProgramRun noScreen = Zelppc({"--screen", "7", "--fullscreen"}); // offscreen has one
    EXPECT_EQ(noScreen.status, 2);
    EXPECT_TRUE(
        noScreen.error.contains("zelppc: there is no screen 7; the screens are numbered from 0 to 0\n"))
        << noScreen.error.toStdString();
    for (const char* notANumber : {"-1", "one", ""})
        EXPECT_EQ(Zelppc({"--screen", notANumber}).status, 2) << notANumber;
}

// Stopped by SIGTERM (a service manager, Ctrl+C on a wall display), the viewer closes as its Exit
// command closes it: the window's place is saved.
TEST(ZelppcCommandLineTest, AStopSignalClosesTheViewerAsItsExitCommandDoes) {
    TemporaryDataRoot root;
    root.WriteFile("windows/ZelPPCLog.log", QByteArray()); // its first line: the signals are taken
    QProcess viewer;
    viewer.start(QStringLiteral(ZELPPC_PROGRAM), {});
    ASSERT_TRUE(PumpUntil([&] { return !root.ReadFile("windows/ZelPPCLog.log").isEmpty(); }, 20000));
    ::kill(static_cast<pid_t>(viewer.processId()), SIGTERM);
    ASSERT_TRUE(viewer.waitForFinished(20000));
    EXPECT_EQ(viewer.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(viewer.exitCode(), 0);
    Node saved;
    ASSERT_EQ(LoadArchiveFile(saved, root.File("ZelSettings.arc")).status, LoadStatus::Loaded);
    EXPECT_TRUE(saved.Exists("/View/WindowWidth"));
}

// On a desktop's screen the first window takes two thirds of it, centred; the handheld size stays
// on a small one.
TEST(FirstPlacementTest, TwoThirdsOfAScreenLargerThan800By800) {
    for (const QRect screen : {QRect(0, 0, 1600, 1000), QRect(1920, 0, 1920, 1080)}) {
        const QRect placed = MainFrame::FirstPlacement(screen);
        EXPECT_EQ(placed.size(), QSize(screen.width() * 2 / 3, screen.height() * 2 / 3));
        EXPECT_LE((placed.center() - screen.center()).manhattanLength(), 2);
    }
    for (const QRect screen : {QRect(0, 0, 800, 1280), QRect(0, 0, 1280, 800), QRect(0, 0, 480, 640)})
        EXPECT_TRUE(MainFrame::FirstPlacement(screen).isEmpty());
}

// A place saved on a larger screen, or half off this one, is brought within its free area.
TEST(FirstPlacementTest, ASavedPlaceFitsTheScreenItComesTo) {
    const QRect screen(1920, 0, 1920, 1050);
    const struct {
        QRect saved, fitted;
    } cases[] = {
        {QRect(2000, 100, 800, 600), QRect(2000, 100, 800, 600)},   // within it: as it was
        {QRect(2020, 100, 2400, 1300), QRect(1920, 0, 1920, 1050)}, // from a larger screen
        {QRect(3500, 900, 800, 600), QRect(3040, 450, 800, 600)},   // half off it
        {QRect(1800, -50, 800, 600), QRect(1920, 0, 800, 600)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MainFrame::FitPlacement(c.saved, screen), c.fitted) << c.saved.x() << "," << c.saved.y();
}

} // namespace
