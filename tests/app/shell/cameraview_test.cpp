// The camera view against simulated cameras: the picture, its layout, rotation, reconnection,
// the password prompt, failure messages, and PTZ commands.

#include "tests/app/shell/viewerfixture.h"

#include "app/resources/resource.h"
#include "app/shell/cameraconnection.h"
#include "app/shell/commandbar.h"
#include "app/shell/motionalerts.h"
#include "app/shell/picturefile.h"
#include "app/shell/recordedcamera.h"
#include "app/shell/recordings.h"
#include "app/shell/zelppcapp.h"
#include "collection/motionoptions.h"
#include "control/interface/camimageinterface.h"
#include "platform/ui/controlhost.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/messages.h"
#include "platform/ui/modal.h"
#include "settings/archivefile.h"
#include "settings/settingsstore.h"
#include "tests/support/filesystemfaults.h"
#include "tools/camsim/motionscene.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace {

const char kStream[] = "/vexo-cgi/mjpg/video.cgi";

QImage Shown(CameraView& view) {
    return view.HostWindow()->ControlWindow()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST_F(ViewerTest, AnOpenedCameraShowsItsPictureFittedToTheView) {
    InProcessCamsim camera;
    Start();
    AddCamera("/CameraCollection/Door", camera);
    ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Door"));
    ASSERT_TRUE(PumpUntil([this] { return Camera().HostWindow()->width() > 1; }));
    EXPECT_EQ(Frame().windowTitle(), "Door");
    const QSize host = Camera().HostWindow()->size();
    EXPECT_TRUE(host.width() == Camera().width() || host.height() == Camera().height());
    ASSERT_TRUE(PumpUntil([this] {
        const QImage picture = Shown(Camera());
        return qRed(picture.pixel(5, 5)) > 200 && qGreen(picture.pixel(5, 5)) < 60; // the red field, top left
    }));
    const QImage picture = Shown(Camera());
    const QRgb topRight = picture.pixel(picture.width() - 5, 5);
    EXPECT_GT(qGreen(topRight), 200);
    EXPECT_LT(qRed(topRight), 60);
    EXPECT_TRUE(Logged(":S:CameraView::ConnectCamera - Connect to 'Door' 'http://127.0.0.1:"));
}

TEST_F(ViewerTest, LayoutFitsOrShowsTheActualSize) {
    InProcessCamsim camera;
    Start();
    AddCamera("/CameraCollection/Door", camera);
    ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Door"));
    Camera().resize(240, 268);
    Camera().Relayout(640, 480);
    EXPECT_EQ(Camera().HostWindow()->geometry(), QRect(0, 44, 240, 179)); // centred
    Camera().Relayout(240, 320);
    EXPECT_EQ(Camera().HostWindow()->geometry(), QRect(19, 0, 201, 268));
    Frame().OnCommand(Command::ViewActualSize);
    Camera().Relayout(640, 480);
    EXPECT_EQ(Camera().HostWindow()->geometry(), QRect(0, 0, 240, 268));
    EXPECT_TRUE(Settings().GetValue("/View/ActualSize").GetBool());
    EXPECT_TRUE(Frame().Bar().IsChecked(Command::ViewActualSize));
    EXPECT_FALSE(Frame().Bar().IsChecked(Command::ViewFitToWindow));
    int32_t stretch = 1;
    Camera().Control()->get_Stretch(&stretch);
    EXPECT_EQ(stretch, 0);
}

TEST_F(ViewerTest, TheCamerasRotationAddsToTheViewsRotation) {
    InProcessCamsim camera;
    Start();
    AddCamera("/CameraCollection/Door", camera);
    Settings().SetValue("/CameraCollection/Door/Rotation", Data("90"));
    Settings().SetValue("/View/Rotation", Data(270));
    ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Door"));
    int16_t rotate = -1;
    Camera().Control()->get_Rotate(&rotate);
    EXPECT_EQ(rotate, 0);
    EXPECT_EQ(Camera().EffectiveRotation(), 0);

    Frame().OnCommand(Command::ViewRotate); // the view turns on to 0, the picture to 90
    Camera().Control()->get_Rotate(&rotate);
    EXPECT_EQ(rotate, 90);
    EXPECT_EQ(Settings().GetValue("/View/Rotation").GetInt(), 0);
}

TEST_F(ViewerTest, ALostStreamIsReconnectedSilently) {
    InProcessCamsim camera;
    camsim::Faults drop;
    drop.closeAfter = 5;
    camera.Server().QueueFaults(drop);
    Start();
    AddCamera("/CameraCollection/Door", camera);
    ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Door"));
    ASSERT_TRUE(PumpUntil([&] { return camera.Server().Requests().All().size() >= 2; }));
    ASSERT_TRUE(PumpUntil([this] { return Camera().HostWindow()->isVisible() && Camera().IsConnected(); }));
    EXPECT_TRUE(Logged(":E:CameraView::OnConnectionBroken - OnConnectionBroken on 'Door', 2, 0"));
    EXPECT_TRUE(Logged("Reconnect to 'Door'"));
    EXPECT_TRUE(MessageBoxSeam::Shown().isEmpty());
    EXPECT_EQ(Frame().ActiveView(), &Camera());
    PostMessage(&Camera(), WM_USER + Message::StreamStopped); // the lost stream's end, late
    Pump(100);
    EXPECT_TRUE(Camera().IsConnected()) << "the next loss is reconnected too";
}

class PasswordTest : public ViewerTest {
  protected:
    void SetUp() override {
        ViewerTest::SetUp();
        camera = std::make_unique<InProcessCamsim>(PasswordCamera());
    }
    void TearDown() override {
        ViewerTest::TearDown();
        camera.reset();
    }
    std::unique_ptr<InProcessCamsim> camera;
};

TEST_F(PasswordTest, TheRightPasswordSavedFromThePromptOpensTheStream) {
    Start();
    AddCamera("/CameraCollection/Gate", *camera);
    QueueCredentials("viewer", "s3cret",
                     [](QDialog* dialog) { dialog->findChild<QCheckBox*>()->setChecked(true); });
    Tree().Refill();
    Tree().SelectPath("/CameraCollection/Gate");
    Frame().OnCommand(Command::Open);
    ASSERT_TRUE(PumpUntil([this] { return Camera().HostWindow()->isVisible(); }));
    EXPECT_EQ(ModalSeam::Unexpected(), 0);
    EXPECT_EQ(Settings().GetValue("/CameraCollection/Gate/UserName").GetText(), "viewer");
    EXPECT_EQ(Settings().GetValue("/CameraCollection/Gate/Password").GetText(), "s3cret");
    Node saved;
    ASSERT_EQ(LoadArchiveFile(saved, root.File("ZelSettings.arc")).status, LoadStatus::Loaded);
    EXPECT_EQ(saved.GetValue("/CameraCollection/Gate/Password").GetText(), "s3cret");
    EXPECT_TRUE(Logged("Saving Password"));
}

TEST_F(PasswordTest, CancellingThePromptGoesBackToTheCollection) {
    Start();
    AddCamera("/CameraCollection/Gate", *camera);
    ModalSeam::QueueHandler([](QDialog* dialog) { dialog->reject(); });
    Tree().Refill();
    Tree().SelectPath("/CameraCollection/Gate");
    Frame().OnCommand(Command::Open);
    ASSERT_TRUE(
        PumpUntil([this] { return ModalSeam::Unexpected() == 0 && Frame().ActiveView() == &Collection(); }));
    EXPECT_FALSE(Settings().Exists("/CameraCollection/Gate/UserName"));
}

// A wall display waits for nobody: a camera that wants a password asks on Enter or a click, and a
// failure stays on the picture while the camera is tried again.
TEST_F(PasswordTest, OnAWallDisplayAPasswordIsAskedOnEnterOrAClickAndAFailureIsTriedAgain) {
    Start();
    AddCamera("/CameraCollection/Gate", *camera);
    StartUnattended("/CameraCollection/Gate");
    const auto waiting = [this] {
        return Camera().StatusText() == "Needs a user name and password: press Enter or click";
    };
    ASSERT_TRUE(PumpUntil(waiting));
    PressKey(&Camera(), Qt::Key_S, Qt::ControlModifier); // no picture yet: said without a box
    EXPECT_EQ(Frame().windowTitle(), "There is no picture to save yet.");
    EXPECT_TRUE(MessageBoxSeam::Shown().isEmpty());
    ModalSeam::QueueHandler([](QDialog* dialog) { dialog->reject(); });
    // Through the window, as the window system delivers it: press and release.
    QTest::mouseClick(Frame().windowHandle(), Qt::LeftButton, {},
                      Camera().mapTo(&Frame(), Camera().rect().center()));
    EXPECT_TRUE(waiting());
    // Asked again after a refusal, the prompt names the camera, says so and keeps the user name.
    QStringList seen; // per prompt: title, user name, password, whether the refusal is shown
    const auto look = [&](QDialog* dialog) {
        const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
        const QLabel* refused = dialog->findChild<QLabel*>("refused");
        seen.append(QStringList({dialog->windowTitle(), edits[0]->text(), edits[1]->text(),
                                 refused && refused->isVisible() ? refused->text() : "-"})
                        .join('|'));
    };
    QueueCredentials("viewer", "wrong", look);
    PressKey(&Camera(), Qt::Key_Return);
    ASSERT_TRUE(PumpUntil([&] { return seen.size() == 1 && waiting(); }));
    camsim::Faults missing;
    missing.status = 404;
    camera->Server().QueueFaults(missing, kStream);
    QueueCredentials("viewer", "s3cret", look);
    QTest::keyClick(Frame().windowHandle(), Qt::Key_Return); // to where the keys went before the prompt
    EXPECT_EQ(
        seen,
        QStringList({"User name and password for Gate|||-",
                     "User name and password for Gate|viewer||The user name or password was not accepted"}));
    ASSERT_TRUE(PumpUntil([this] { return Camera().StatusText().startsWith("Image stream not found"); }));
    ASSERT_TRUE(PumpUntil([this] { return Camera().IsConnected() && Camera().HostWindow()->isVisible(); },
                          CameraConnection::kRetryFailedMs + 4000));
    EXPECT_EQ(ModalSeam::Unexpected(), 0);
    EXPECT_EQ(Frame().ActiveView(), &Camera());
    EXPECT_TRUE(MessageBoxSeam::Shown().isEmpty());
}

// While the camera cannot be reached, or while a lost stream is tried again, the picture says so.
TEST_F(ViewerTest, ACameraThatCannotBeReachedOrGoesAwaySaysSoOverThePicture) {
    auto camera = std::make_unique<InProcessCamsim>();
    Start();
    AddCamera("/CameraCollection/Gone", *camera);
    Settings().SetValue("/CameraCollection/Gone/Port", Data(static_cast<int>(UnusedLoopbackPort())));
    AddCamera("/CameraCollection/Door", *camera);
    Tree().Refill();
    Tree().SelectPath("/CameraCollection/Gone");
    Frame().OnCommand(Command::Open);
    EXPECT_TRUE(PumpUntil(
        [this] { return Camera().StatusText() == "Cannot connect to the camera, trying again"; }, 4000));
    Frame().OnCommand(Command::Back);
    ASSERT_TRUE(PumpUntil([this] { return Frame().ActiveView() == &Collection(); }));

    ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Door"));
    camera.reset();
    for (const QString seconds : {"1", "2"}) { // counted every second
        EXPECT_TRUE(PumpUntil(
            [&] { return Camera().StatusText() == "Connection lost, trying again (" + seconds + " s)"; },
            3000));
    }
    EXPECT_TRUE(Camera().HostWindow()->isVisible()); // over the last picture
    EXPECT_TRUE(MessageBoxSeam::Shown().isEmpty());
}

TEST_F(ViewerTest, NotFoundNamesTheUrlOfASiteAndTheAddressOfACamera) {
    InProcessCamsim camera;
    Start();
    QString url = QString::fromStdString(camera.Url("/no/such/stream.cgi"));
    Settings().SetValue("/CameraCollection/Site/Name", Data("Site"));
    Settings().SetValue("/CameraCollection/Site/Type", Data("LiveSite"));
    Settings().SetValue("/CameraCollection/Site/CustomURL", Data(QString(url).insert(7, "viewer:secret@")));
    OpenAndWaitForStream("/CameraCollection/Site", 0);
    ASSERT_TRUE(PumpUntil([] { return !MessageBoxSeam::Shown().isEmpty(); }));
    EXPECT_EQ(MessageBoxSeam::Shown().front(),
              "Image stream not found for camera 'Site' using URL '" + url.insert(7, "viewer:****@") + "'")
        << "a password in the URL is not shown";
    ASSERT_TRUE(PumpUntil([this] { return Frame().ActiveView() == &Collection(); }));

    MessageBoxSeam::Clear();
    camsim::Faults missing;
    missing.status = 404;
    camera.Server().QueueFaults(missing);
    AddCamera("/CameraCollection/Door", camera);
    OpenAndWaitForStream("/CameraCollection/Door", 0);
    ASSERT_TRUE(PumpUntil([] { return !MessageBoxSeam::Shown().isEmpty(); }));
    EXPECT_EQ(
        MessageBoxSeam::Shown().front(),
        "Image stream not found for camera 'Door' at the network address '127.0.0.1'. The camera firmware "
        "version is not supported.");
}

TEST_F(ViewerTest, ZoomAndTapCommandsReachAPtzCamerasVideoSource) {
    camsim::CameraConfig config;
    config.ptz = true;
    config.sources = 4;
    InProcessCamsim camera(config);
    Start();
    AddCamera("/CameraCollection/Dome", camera, "Elm", "2.12"); // pans, tilts and zooms
    Settings().SetValue("/CameraCollection/Dome/CameraNumber", Data("2"));
    ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Dome"));
    ASSERT_TRUE(PumpUntil([&] { return camera.Server().PtzCommands().size() == 1; })); // focus on connect
    EXPECT_EQ(camera.Server().PtzCommands()[0], "/vexo-cgi/com/ptz.cgi?autofocus=on&autoiris=on");
    bool streamOfSourceTwo = false;
    for (const auto& request : camera.Server().Requests().All()) {
        streamOfSourceTwo =
            streamOfSourceTwo || QString::fromStdString(request.target).endsWith("video.cgi?camera=2");
    }
    EXPECT_TRUE(streamOfSourceTwo);

    auto sendAndWait = [&](int command, const std::string& expected) {
        const size_t before = camera.Server().PtzCommands().size();
        // The last command may still be in flight: try until one gets through.
        for (int attempt = 0; attempt < 100 && camera.Server().PtzCommands().size() == before; ++attempt) {
            Frame().OnCommand(command);
            Pump(20);
        }
        ASSERT_TRUE(PumpUntil([&] { return camera.Server().PtzCommands().size() > before; }));
        EXPECT_EQ(camera.Server().PtzCommands().back(), expected);
    };
    sendAndWait(Command::ZoomIn, "/vexo-cgi/com/ptz.cgi?camera=2&rzoom=2500");
    sendAndWait(Command::ZoomOut, "/vexo-cgi/com/ptz.cgi?camera=2&rzoom=-2500");

    ASSERT_TRUE(PumpUntil([this] { return Camera().HostWindow()->width() > 1; }));
    const size_t before = camera.Server().PtzCommands().size();
    QTest::mouseClick(Camera().HostWindow()->ControlWindow(), Qt::LeftButton, {}, QPoint(10, 20));
    ASSERT_TRUE(PumpUntil([&] { return camera.Server().PtzCommands().size() > before; }));
    EXPECT_TRUE(QString::fromStdString(camera.Server().PtzCommands().back())
                    .startsWith("/vexo-cgi/com/ptz.cgi?camera=2&imagewidth="));
    EXPECT_TRUE(QString::fromStdString(camera.Server().PtzCommands().back()).endsWith("&center=10,20"));

    // A zoom just before leaving the camera still reaches it.
    const size_t zooms = camera.Server().PtzCommands().size();
    ASSERT_TRUE(PumpUntil([&] { return Camera().SendCommand("/vexo-cgi/com/ptz.cgi?camera=2&rzoom=2500"); }));
    Frame().OnCommand(Command::ViewCameras);
    EXPECT_EQ(camera.Server().PtzCommands().size(), zooms + 1);

    // Opened from the view of a camera that does not zoom (at an event's moment), it zooms.
    InProcessCamsim plain;
    AddCamera("/CameraCollection/Door", plain);
    ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Door"));
    EXPECT_FALSE(Frame().Bar().HasCommand(Command::ZoomIn));
    Frame().OpenCameraAt("/CameraCollection/Dome", QDateTime::currentMSecsSinceEpoch());
    ASSERT_TRUE(PumpUntil([&] { return Camera().CurrentCamera().name == "Dome" && Camera().IsConnected(); }));
    EXPECT_TRUE(Frame().Bar().HasCommand(Command::ZoomIn));
}

// Ctrl+R records the camera shown on its one connection; the recording goes on in other views,
// starts again at the next start, and a folder it cannot write to is told once.
TEST_F(ViewerTest, ARecordedCameraGoesOnInOtherViewsAndAtTheNextStartAndSaysWhyItStopped) {
    InProcessCamsim camera;
    Start();
    Settings().SetValue("/Recording/Folder", Data(root.File("Videos")));
    AddCamera("/CameraCollection/Gate", camera);
    ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Gate"));
    PressKey(&Camera(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(Camera().RecordMarkText(), "\u25CF REC");
    EXPECT_TRUE(Frame().Bar().IsChecked(Command::Record));
    const QDir day(root.File("Videos/Gate/" + QDate::currentDate().toString("yyyy-MM-dd")));
    const auto recorded = [&] {
        qint64 bytes = 0;
        for (const QFileInfo& file : day.entryInfoList({"Gate-*.mkv"}, QDir::Files))
            bytes += file.size();
        return bytes;
    };
    ASSERT_TRUE(PumpUntil([&] { return recorded() > 20000; }));
    Frame().OnCommand(Command::ViewCameras);
    const qint64 before = recorded();
    EXPECT_TRUE(PumpUntil([&] { return recorded() > before + 20000; }))
        << "recording goes on in the collection";
    EXPECT_EQ(camera.Server().Requests().All().size(), 1u) << "one connection for the view and the recording";

    Exit();
    Start();
    ASSERT_TRUE(app->Recorder()->IsRecorded("/CameraCollection/Gate"));
    ASSERT_TRUE(PumpUntil([&] { return day.entryList({"Gate-*.mkv"}, QDir::Files).size() == 2; }));
    EXPECT_FALSE(app->Recorder()->Toggle("/CameraCollection/Gate"));
    EXPECT_EQ(Settings().GetValue("/Recording/Cameras").GetText(), "");

    ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Gate"));
    QDir().mkpath(root.File("Shut"));
    Settings().SetValue("/Recording/Folder", Data(root.File("Shut")));
    std::optional<ReadOnlyFolder> shut(std::in_place, root.File("Shut"));
    EXPECT_TRUE(app->Recorder()->Toggle("/CameraCollection/Gate"));
    ASSERT_TRUE(PumpUntil([] { return !MessageBoxSeam::Shown().isEmpty(); }));
    EXPECT_TRUE(MessageBoxSeam::Shown().front().startsWith(
        "The recording of 'Gate' stopped: Cannot create the folder "))
        << MessageBoxSeam::Shown().front().toStdString();
    Pump(1500);
    EXPECT_EQ(MessageBoxSeam::Shown().size(), 1) << "told once";
    EXPECT_EQ(Camera().RecordMarkText(), MessageBoxSeam::Shown().front())
        << "not REC while nothing is written";
    shut.reset(); // room again: the recording goes on by itself
    EXPECT_TRUE(PumpUntil([&] { return Camera().RecordMarkText() == "\u25CF REC"; },
                          RecordedCamera::kResumeMs + 3000));
    EXPECT_TRUE(PumpUntil([&] { return QDir(root.File("Shut/Gate")).exists(); }));
    EXPECT_EQ(MessageBoxSeam::Shown().size(), 1);
}

// A recording follows its camera renamed, given another address and deleted; once recorded, a
// camera keeps its folder when another camera takes its name.
TEST_F(ViewerTest, ARecordingFollowsItsCameraAndKeepsItsFolder) {
    InProcessCamsim first;
    InProcessCamsim second;
    Start();
    Settings().SetValue("/Recording/Folder", Data(root.File("Videos")));
    AddCamera("/CameraCollection/Gate", first);
    ASSERT_TRUE(app->Recorder()->Toggle("/CameraCollection/Gate"));
    Settings().SetValue("/CameraCollection/Site/Type", Data("Folder"));
    AddCamera("/CameraCollection/Site/Gate", first);
    EXPECT_EQ(Recordings::FolderOf("/CameraCollection/Gate"), root.File("Videos/Gate"));
    EXPECT_NE(Recordings::FolderOf("/CameraCollection/Site/Gate"), root.File("Videos/Gate"));
    ASSERT_TRUE(app->Recorder()->Toggle("/CameraCollection/Site/Gate"));
    const QString sitesGate = Recordings::FolderOf("/CameraCollection/Site/Gate");
    Settings().Move(Path("/CameraCollection/Site"), Path("/CameraCollection/Place"));
    app->Recorder()->FollowCollection("/CameraCollection/Site", "/CameraCollection/Place");
    EXPECT_EQ(Recordings::FolderOf("/CameraCollection/Place/Gate"), sitesGate) << "moved, not renamed";
    EXPECT_FALSE(app->Recorder()->Toggle("/CameraCollection/Place/Gate"));
    // A camera that takes the name of a folder another kept gets one of its own.
    AddCamera("/CameraCollection/Place/Gate-2", first);
    Settings().SetValue("/Recording/Folders", Data("/CameraCollection/Place/Gate\tGate-2"));
    EXPECT_NE(Recordings::FolderOf("/CameraCollection/Place/Gate-2"), root.File("Videos/Gate-2"));
    Settings().Delete(Path("/CameraCollection/Place"));

    Settings().Move(Path("/CameraCollection/Gate"), Path("/CameraCollection/Porch"));
    Settings().SetValue("/CameraCollection/Porch/Name", Data("Porch"));
    app->Recorder()->FollowCollection("/CameraCollection/Gate", "/CameraCollection/Porch");
    EXPECT_TRUE(app->Recorder()->IsRecorded("/CameraCollection/Porch"));
    EXPECT_EQ(Settings().GetValue("/Recording/Cameras").GetText(), "/CameraCollection/Porch");
    Settings().SetValue("/CameraCollection/Porch/Port", Data(static_cast<int>(second.Port())));
    app->Recorder()->FollowCollection();
    EXPECT_TRUE(PumpUntil([&] { return !second.Server().Requests().All().empty(); })) << "its new address";
    Settings().SetValue("/CameraCollection/Porch/MotionDetection", Data(true));
    app->Recorder()->FollowCollection();
    EXPECT_TRUE(app->Recorder()->Cameras()[0]->Motion().detect) << "its new motion settings";
    Settings().Delete(Path("/CameraCollection/Porch"));
    app->Recorder()->FollowCollection();
    EXPECT_TRUE(app->Recorder()->Cameras().empty());
    EXPECT_EQ(Settings().GetValue("/Recording/Cameras").GetText(), "");
}

// A camera whose Motion page asks for it records around motion whatever is on screen, from the
// next start on and until its settings say otherwise; its motion is an event, with its picture.
TEST_F(ViewerTest, ACameraThatRecordsOnMotionWritesAFileWhenSomethingMovesOffScreen) {
    camsim::CameraConfig moving;
    moving.scene = *camsim::MotionScene::Parse("box:40:60");
    InProcessCamsim camera(moving);
    Start();
    Settings().SetValue("/Recording/Folder", Data(root.File("Videos")));
    AddCamera("/CameraCollection/Yard", camera);
    MotionOptions motion;
    motion.detect = motion.record = true;
    motion.recordBefore = motion.recordAfter = 1;
    motion.Save(Settings().GetNode("/CameraCollection/Yard"));
    Exit();
    Start();
    ASSERT_EQ(app->Recorder()->Cameras().size(), 1u);
    EXPECT_FALSE(app->Recorder()->IsRecorded("/CameraCollection/Yard")) << "not all the time";
    const QDir day(root.File("Videos/Yard/" + QDate::currentDate().toString("yyyy-MM-dd")));
    const std::deque<MotionEvents::Event>& events = app->Alerts()->Events().Events();
    ASSERT_TRUE(PumpUntil([&] { return !events.empty() && events.back().durationMs >= 0; }, 10000));
    EXPECT_TRUE(PumpUntil([&] { return !app->Recorder()->Cameras()[0]->Writing(); }));
    EXPECT_EQ(day.entryList({"Yard-*.mkv"}, QDir::Files).size(), 1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_FALSE(app->Alerts()->Events().PictureOf(events[0]).isNull()) << "the moment, though never shown";

    Settings().SetValue("/CameraCollection/Yard/MotionRecordAfter", Data(5));
    app->Recorder()->FollowMotionSettings();
    ASSERT_EQ(app->Recorder()->Cameras().size(), 1u);
    EXPECT_EQ(app->Recorder()->Cameras()[0]->Motion().recordAfter, 5) << "begun again with the page's values";
    Settings().SetValue("/CameraCollection/Yard/MotionRecord", Data(false));
    app->Recorder()->FollowMotionSettings();
    EXPECT_TRUE(app->Recorder()->Cameras().empty());
}

// Each recorded camera has a folder of its own, even when another has the same name.
TEST_F(ViewerTest, CamerasOfTheSameNameRecordIntoFoldersOfTheirOwn) {
    InProcessCamsim camera;
    Start();
    Settings().SetValue("/Recording/Folder", Data(root.File("Videos")));
    AddCamera("/CameraCollection/Gate", camera);
    AddCamera("/CameraCollection/Door", camera);
    Settings().SetValue("/CameraCollection/Site/Type", Data("Folder"));
    Settings().SetValue("/CameraCollection/Site/Name", Data("Site"));
    AddCamera("/CameraCollection/Site/Door", camera);
    EXPECT_EQ(Recordings::FolderOf("/CameraCollection/Gate"), root.File("Videos/Gate"));
    const QString door = Recordings::FolderOf("/CameraCollection/Door");
    const QString otherDoor = Recordings::FolderOf("/CameraCollection/Site/Door");
    EXPECT_NE(door, otherDoor);
    EXPECT_TRUE(QRegularExpression("/Videos/Door-[0-9a-f]{8}$").match(door).hasMatch()) << door.toStdString();
    EXPECT_EQ(Recordings::FolderOf("/CameraCollection/Door"), door) << "the same every time";
}

// Instant replay's keys in the camera view, and the last seconds saved as a clip.
TEST_F(ViewerTest, SpacePausesPageUpStepsBackEndIsLiveAndCtrlShiftSSavesTheLastSeconds) {
    InProcessCamsim camera;
    Start();
    Settings().SetValue("/Recording/Folder", Data(root.File("Videos")));
    AddCamera("/CameraCollection/Gate", camera);
    ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Gate"));
    Pump(1000);
    const auto paused = [&] {
        int32_t on = 0;
        Camera().Control()->get_Paused(&on);
        return on != 0;
    };
    PressKey(&Camera(), Qt::Key_Space);
    EXPECT_TRUE(paused());
    EXPECT_TRUE(QRegularExpression("^Paused [0-9]{2}:[0-9]{2}:[0-9]{2}, [01] s ago$")
                    .match(Camera().StatusText())
                    .hasMatch())
        << Camera().StatusText().toStdString();
    EXPECT_TRUE(Frame().Bar().IsChecked(Command::Pause));
    PressKey(&Camera(), Qt::Key_PageUp);
    EXPECT_TRUE(Camera().StatusText().startsWith("Paused "));
    PressKey(&Camera(), Qt::Key_End);
    EXPECT_FALSE(paused());
    EXPECT_EQ(Camera().StatusText(), "");

    PressKey(&Camera(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    const QDir day(root.File("Videos/Gate/" + QDate::currentDate().toString("yyyy-MM-dd")));
    EXPECT_EQ(day.entryList({"Gate-*-clip.mkv"}, QDir::Files).size(), 1);
    EXPECT_TRUE(Frame().windowTitle().startsWith("Clip saved to " + day.path()))
        << Frame().windowTitle().toStdString();
}

TEST_F(ViewerTest, ASiteWithoutAUrlFailsWithAMessageInsteadOfWaiting) {
    Start();
    Settings().SetValue("/CameraCollection/Empty/Name", Data("Empty"));
    Settings().SetValue("/CameraCollection/Empty/Type", Data("LiveSite"));
    Settings().SetValue("/CameraCollection/Empty/CustomURL", Data(""));
    OpenAndWaitForStream("/CameraCollection/Empty", 0);
    ASSERT_TRUE(PumpUntil([] { return !MessageBoxSeam::Shown().isEmpty(); }));
    EXPECT_EQ(MessageBoxSeam::Shown().front(),
              "Could not connect to the camera 'Empty' using URL ''. The camera may be unavailable. ");
    EXPECT_TRUE(PumpUntil([this] { return Frame().ActiveView() == &Collection(); }));
}

TEST_F(ViewerTest, LeavingACameraDoesNotWaitForACommandItDoesNotAnswer) {
    camsim::CameraConfig config;
    config.ptz = true;
    InProcessCamsim camera(config);
    camsim::Faults silent;
    silent.delayMs = 4000; // the focus command on connect hangs
    camera.Server().QueueFaults(silent, "/vexo-cgi/com/ptz.cgi");
    Start();
    AddCamera("/CameraCollection/Dome", camera, "Damson", "2.35");
    ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Dome"));
    QElapsedTimer leaving;
    leaving.start();
    Frame().OnCommand(Command::ViewCameras);
    EXPECT_LT(leaving.elapsed(), 2000);
    EXPECT_EQ(Frame().ActiveView(), &Collection());
}

TEST_F(ViewerTest, ACameraWithoutPtzOffersNoZoomOrSwitching) {
    InProcessCamsim camera;
    Start();
    AddCamera("/CameraCollection/Door", camera);
    ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Door"));
    for (int command : {Command::ZoomIn, Command::ZoomOut, Command::ViewNextCamera,
                        Command::ViewPreviousCamera, Command::ViewAutoSwitch}) {
        EXPECT_FALSE(Frame().Bar().HasCommand(command)) << command;
    }
    EXPECT_TRUE(Frame().Bar().HasCommand(Command::ViewRotate));
    QTest::keyClick(&Camera(), Qt::Key_Up);
    Pump(100);
    EXPECT_TRUE(camera.Server().PtzCommands().empty());
}

int PicturesShown(CameraView& view) {
    int32_t shown = 0;
    view.Control()->get_PicturesShown(&shown);
    return shown;
}

// The seconds of "No picture for N s", or -1 for any other text.
int StallSeconds(const QString& text) {
    const QRegularExpressionMatch match = QRegularExpression("^No picture for (\\d+) s$").match(text);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

TEST_F(ViewerTest, AStalledStreamSaysForHowLongUntilItsPicturesReturn) {
    InProcessCamsim camera;
    camsim::Faults stall;
    stall.stallAfter = 5; // the first stream only
    camera.Server().QueueFaults(stall, kStream);
    Start();
    AddCamera("/CameraCollection/Door", camera);
    ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Door"));
    QElapsedTimer stalled;
    stalled.start();
    ASSERT_TRUE(PumpUntil([this] { return StallSeconds(Camera().StatusText()) >= 3; }, 8000));
    EXPECT_GE(stalled.elapsed(), 2500); // not before three seconds without a picture
    const int first = StallSeconds(Camera().StatusText());
    ASSERT_TRUE(PumpUntil([&] { return StallSeconds(Camera().StatusText()) > first; }, 2500)); // counts on
    EXPECT_TRUE(Camera().HostWindow()->isVisible()); // over the last picture

    // The stream's own picture timeout ends it; the silent reconnection brings pictures again.
    ASSERT_TRUE(PumpUntil([&] { return Logged("Reconnect to 'Door'"); }, 30000));
    ASSERT_TRUE(PumpUntil([this] { return Camera().StatusText().isEmpty() && Camera().IsConnected(); }));
    const int shown = PicturesShown(Camera());
    ASSERT_TRUE(PumpUntil([&] { return PicturesShown(Camera()) > shown + 5; }));
    Pump(1500);
    EXPECT_TRUE(Camera().StatusText().isEmpty());
    EXPECT_TRUE(MessageBoxSeam::Shown().isEmpty());
}

TEST_F(ViewerTest, PicturesThatCannotBeDecodedAreNamedInsteadOfABlackScreen) {
    camsim::CameraConfig config;
    config.faults.corrupt = true;
    InProcessCamsim camera(config);
    Start();
    AddCamera("/CameraCollection/Door", camera);
    ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Door"));
    ASSERT_TRUE(
        PumpUntil([this] { return Camera().StatusText() == "The camera's pictures cannot be decoded"; }));
    int32_t undecoded = 0;
    Camera().Control()->get_UndecodedPictures(&undecoded);
    EXPECT_GE(undecoded, 3);
    EXPECT_EQ(PicturesShown(Camera()), 0);
    EXPECT_EQ(Frame().ActiveView(), &Camera());
}

TEST_F(ViewerTest, CtrlSKeepsThePictureShownAsTheCameraSentIt) {
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(".config"))); // no user-dirs.dirs there
    camsim::CameraConfig config;
    config.fps = 5;
    InProcessCamsim camera(config);
    Start();
    AddCamera("/CameraCollection/Door", camera);
    Settings().SetValue("/CameraCollection/Door/Name", Data("Front: east/west?"));
    ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Door"));
    ASSERT_TRUE(PumpUntil([this] { return PicturesShown(Camera()) > 0; }));
    PressKey(&Camera(), Qt::Key_S, Qt::ControlModifier);

    const QDir folder(home.filePath("Pictures/Lumenfold"));
    const QStringList files = folder.entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegularExpression("^Front_ east_west_-\\d{8}-\\d{6}\\.jpg$").match(files[0]).hasMatch())
        << files[0].toStdString();
    EXPECT_EQ(Frame().windowTitle(), "Picture saved to " + folder.filePath(files[0]));
    QFile saved(folder.filePath(files[0]));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    ASSERT_GT(bytes.size(), 1000);
    const std::string sent = camera.Server().Requests().All().at(0).body;
    const size_t at = sent.find(bytes.toStdString());
    ASSERT_NE(at, std::string::npos); // byte for byte a picture the camera sent
    EXPECT_EQ(sent.substr(at + static_cast<size_t>(bytes.size()), 2), "\r\n"); // and all of it

    // A second one in the same second gets a name of its own; the title comes back.
    const QString second = Camera().SavePicture();
    EXPECT_EQ(folder.entryList(QDir::Files).size(), 2);
    EXPECT_TRUE(QFile::exists(second));
    // In full screen, where no title shows, the picture says it as long.
    Frame().OnCommand(Command::FullScreen);
    const QString third = Camera().SavePicture();
    EXPECT_EQ(Camera().StatusText(), "Picture saved to " + third);
    ASSERT_TRUE(PumpUntil([this] { return Frame().windowTitle() == "Front: east/west?"; }, 5000));
    EXPECT_TRUE(Camera().StatusText().isEmpty());

    // A camera that has shown nothing yet has no picture to save, not the one shown before.
    InProcessCamsim slow;
    camsim::Faults late;
    late.delayMs = 3000;
    slow.Server().QueueFaults(late);
    AddCamera("/CameraCollection/Slow", slow);
    Frame().OnCommand(Command::ViewCameras);
    OpenAndWaitForStream("/CameraCollection/Slow", 0);
    ASSERT_TRUE(
        PumpUntil([this] { return Camera().IsConnected() && Camera().CurrentCamera().name == "Slow"; }));
    EXPECT_TRUE(Camera().SavePicture().isEmpty());
    EXPECT_EQ(folder.entryList(QDir::Files).size(), 3);
    Frame().Bar().Action(Command::Pause)->trigger(); // from the menu: nothing to pause either
    EXPECT_FALSE(Frame().Bar().IsChecked(Command::Pause));
    qputenv("HOME", oldHome);
    qputenv("XDG_CONFIG_HOME", oldConfig);
}

TEST(PictureFileTest, ANameIsCutToWholeCharactersOf200BytesAndLosesControlAndDirectionCharacters) {
    const QString cases[][2] = {
        {QString(100, QChar(0x9580)), QString(66, QChar(0x9580))}, // three bytes each
        {QString(199, 'a') + QString::fromUtf16(u"\U0001F600"), QString(199, 'a')},
        {QString::fromUtf16(u"a\x85g\u202Eh\u2066i\x7Fj\x01k") + QChar(0xD83D), "a_g_h_i_j_k_"},
        {". ..", "Camera"}, // never a folder above
        {" . .Gate", "Gate"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SafeFileName(c[0]), c[1]);
}

TEST_F(ViewerTest, F11FillsTheScreenAndEscapeLeavesItBeforeGoingBack) {
    InProcessCamsim camera;
    Start();
    AddCamera("/CameraCollection/Door", camera);
    ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Door"));
    PressKey(&Camera(), Qt::Key_F11);
    EXPECT_TRUE(Frame().isFullScreen());
    EXPECT_FALSE(Frame().menuBar()->isVisible());
    EXPECT_FALSE(Frame().Bar().IsVisible());
    EXPECT_TRUE(Frame().Bar().IsChecked(Command::FullScreen));
    QTest::keyClick(&Camera(), Qt::Key_Escape);
    EXPECT_FALSE(Frame().isFullScreen());
    EXPECT_TRUE(Frame().menuBar()->isVisible());
    EXPECT_EQ(Frame().ActiveView(), &Camera());
    QTest::keyClick(&Camera(), Qt::Key_Escape);
    ASSERT_TRUE(PumpUntil([this] { return Frame().ActiveView() == &Collection(); }));
}

TEST_F(ViewerTest, TheWindowsPlaceAndFullScreenAreKeptForTheNextStart) {
    Start();
    Frame().setGeometry(40, 60, 700, 500);
    Frame().OnCommand(Command::FullScreen);
    ASSERT_TRUE(Frame().isFullScreen());
    Exit();
    Node saved;
    ASSERT_EQ(LoadArchiveFile(saved, root.File("ZelSettings.arc")).status, LoadStatus::Loaded);
    EXPECT_EQ(saved.GetValue("/View/WindowWidth").GetInt(), 700);
    EXPECT_EQ(saved.GetValue("/View/WindowHeight").GetInt(), 500);
    EXPECT_TRUE(saved.GetValue("/View/FullScreen").GetBool());

    Start();
    EXPECT_TRUE(Frame().isFullScreen());
    EXPECT_TRUE(Frame().menuBar()->isVisible()); // the collection keeps its menu
    Frame().OnCommand(Command::FullScreen);
    EXPECT_FALSE(Frame().isFullScreen());
    EXPECT_EQ(Frame().size(), QSize(700, 500));

    Frame().setGeometry(300, 200, 2400, 1300); // as on a larger screen
    Exit();
    Start();
    EXPECT_EQ(Frame().size(), QGuiApplication::primaryScreen()->availableGeometry().size());
}

} // namespace
