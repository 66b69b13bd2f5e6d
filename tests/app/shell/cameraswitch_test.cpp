// Camera switches: stepping through the members on the display time and by hand, each member
// connected only after the last one's stream has stopped; members that are gone; the arrow keys
// at every rotation of the view.

#include "tests/app/shell/viewerfixture.h"

#include "app/resources/resource.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/modal.h"
#include "settings/settingsstore.h"

#include <QDialog>
#include <QTest>

#include <algorithm>
#include <string>
#include <vector>

namespace {

class CameraSwitchTest : public ViewerTest {
  protected:
    void SetUp() override {
        ViewerTest::SetUp();
        camsim::CameraConfig config;
        config.ptz = true;
        for (auto& camera : cameras)
            camera = std::make_unique<InProcessCamsim>(config);
    }
    void TearDown() override {
        ViewerTest::TearDown();
        for (auto& camera : cameras)
            camera.reset();
    }

    // A switch over cameras A, B and C (pan, tilt and zoom cameras).
    void MakeSwitch(int displayTime) {
        const QString names[3] = {"A", "B", "C"};
        const Node tour = Settings().GetNode("/CameraCollection/Tour");
        tour.SetValue("Name", Data("Tour"));
        tour.SetValue("Type", Data("CameraSwitch"));
        tour.SetValue("DisplayTime", Data(displayTime));
        for (int i = 0; i < 3; ++i) {
            AddCamera("/CameraCollection/" + names[i], *cameras[i], "Damson", "2.35");
            tour.SetValue(QString("Cameras/Camera_%1").arg(i, 3, 10, QChar('0')),
                          Data("/CameraCollection/" + names[i]));
        }
    }

    bool WaitForConnect(const QString& name, int from, int timeoutMs = 5000) {
        return PumpUntil([&] { return LogIndex("Connect to '" + name + "'", from) >= 0; }, timeoutMs);
    }

    std::unique_ptr<InProcessCamsim> cameras[3];
};

TEST_F(CameraSwitchTest, NextAndPreviousConnectEachMemberAfterTheLastOneStopped) {
    MakeSwitch(5);
    Start();
    Settings().SetValue("/View/AutoSwitch", Data(false));
    ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Tour"));
    EXPECT_EQ(Camera().CurrentCamera().name, "A");
    EXPECT_TRUE(Frame().Bar().HasCommand(Command::ViewNextCamera));
    EXPECT_FALSE(Frame().Bar().IsChecked(Command::ViewAutoSwitch));
    EXPECT_FALSE(Camera().IsSwitchTimerRunning());

    for (const char* expected : {"B", "C", "A"}) {
        const int from = Log().size();
        Frame().OnCommand(Command::ViewNextCamera);
        ASSERT_TRUE(WaitForConnect(expected, from)) << expected;
        const int disconnect = LogIndex("Disconnect from", from);
        const int stopped = LogIndex("CameraView::OnCameraStoped - begin", from);
        const int connect = LogIndex(QString("Connect to '%1'").arg(expected), from);
        EXPECT_LT(disconnect, stopped);
        EXPECT_LT(stopped, connect);
    }
    const int from = Log().size();
    Frame().OnCommand(Command::ViewPreviousCamera);
    ASSERT_TRUE(WaitForConnect("C", from)); // wrapped round backwards
    ASSERT_TRUE(PumpUntil([this] { return Camera().HostWindow()->isVisible(); }));
}

TEST_F(CameraSwitchTest, AutomaticSwitchingStepsOnAfterTheDisplayTime) {
    MakeSwitch(1);
    Start();
    ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Tour"));
    EXPECT_TRUE(Camera().IsSwitchTimerRunning());
    EXPECT_TRUE(Frame().Bar().IsChecked(Command::ViewAutoSwitch));
    ASSERT_TRUE(WaitForConnect("B", 0, 4000));
    ASSERT_TRUE(WaitForConnect("C", 0, 4000));

    // Paused, the switch stays on its member; live again, it goes on.
    EXPECT_FALSE(Frame().Bar().IsChecked(Command::Pause)) << "live";
    ASSERT_TRUE(PumpUntil([this] {
        if (!Frame().Bar().IsChecked(Command::Pause))
            Frame().OnCommand(Command::Pause); // once the member has shown a picture
        return Frame().Bar().IsChecked(Command::Pause);
    }));
    const int paused = Log().size();
    Pump(2500);
    EXPECT_EQ(LogIndex("CameraView::ConnectCamera", paused), -1);
    Frame().OnCommand(Command::Live);
    EXPECT_TRUE(PumpUntil([&] { return LogIndex("CameraView::ConnectCamera", paused) >= 0; }, 4000));

    Frame().OnCommand(Command::ViewAutoSwitch); // off
    EXPECT_FALSE(Camera().IsSwitchTimerRunning());
    EXPECT_FALSE(Settings().GetValue("/View/AutoSwitch").GetBool());
}

// A member whose stream is lost again and again, or that waits for a password on a wall display,
// is shown for its display time like any other: the tour goes on.
TEST_F(CameraSwitchTest, AMemberThatFlapsOrWaitsForAPasswordDoesNotHoldTheTour) {
    const struct {
        const char* what;
        int closeAfter;
        const char* password;
        bool unattended;
    } cases[] = {{"its stream lost each half second", 12, "", false},
                 {"it waits for a password", -1, "s3cret", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        camsim::CameraConfig first;
        first.ptz = true;
        first.faults.closeAfter = c.closeAfter;
        first.auth = c.password[0] ? camsim::AuthMode::Digest : camsim::AuthMode::None;
        first.user = "viewer";
        first.password = c.password;
        cameras[0] = std::make_unique<InProcessCamsim>(first);
        const int from = Log().size();
        Start();
        MakeSwitch(2);
        if (c.unattended) { // the member stays while its password prompt is open
            StartUnattended("/CameraCollection/Tour");
            ASSERT_TRUE(PumpUntil([this] { return Camera().StatusText().startsWith("Needs a user name"); }));
            bool held = false;
            ModalSeam::QueueHandler([&](QDialog* dialog) {
                held = !Camera().IsSwitchTimerRunning();
                dialog->reject();
            });
            PressKey(&Camera(), Qt::Key_Return);
            EXPECT_TRUE(held && Camera().IsSwitchTimerRunning());
        } else {
            ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Tour"));
        }
        EXPECT_TRUE(WaitForConnect("B", from, 6000));
        Exit();
    }
}

TEST_F(CameraSwitchTest, WithDisplayTimeZeroNoTimerRunsButNextWorks) {
    MakeSwitch(0);
    Start();
    ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Tour"));
    EXPECT_FALSE(Camera().IsSwitchTimerRunning());
    const int from = Log().size();
    Frame().OnCommand(Command::ViewNextCamera);
    EXPECT_TRUE(WaitForConnect("B", from));
    EXPECT_FALSE(Camera().IsSwitchTimerRunning());
}

TEST_F(CameraSwitchTest, MembersThatAreGoneAreDroppedAndAnEmptySwitchSaysSo) {
    MakeSwitch(5);
    Settings().Delete("/CameraCollection/B");
    Start();
    ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Tour"));
    EXPECT_TRUE(Logged("Removing 'Camera_001' = '/CameraCollection/B' from Camera Switch list"));
    EXPECT_FALSE(Settings().Exists("/CameraCollection/Tour/Cameras/Camera_001"));
    const int from = Log().size();
    Frame().OnCommand(Command::ViewNextCamera);
    EXPECT_TRUE(WaitForConnect("C", from));

    Frame().OnCommand(Command::ViewCameras);
    ASSERT_TRUE(PumpUntil([this] { return Frame().ActiveView() == &Collection(); }));
    Settings().Delete("/CameraCollection/A");
    Settings().Delete("/CameraCollection/C");
    Tree().Refill();
    Tree().SelectPath("/CameraCollection/Tour");
    Frame().OnCommand(Command::Open);
    ASSERT_TRUE(PumpUntil([] { return !MessageBoxSeam::Shown().isEmpty(); }));
    EXPECT_EQ(MessageBoxSeam::Shown().front(),
              "The Camera Switch list is empty. To add cameras to the list, tap Properties.");
    EXPECT_TRUE(PumpUntil([this] { return Frame().ActiveView() == &Collection(); }));

    // A wall display stays on it, and says so over the picture.
    Exit();
    MessageBoxSeam::Clear();
    StartUnattended("/CameraCollection/Tour");
    EXPECT_TRUE(
        PumpUntil([this] { return Camera().StatusText().startsWith("The Camera Switch list is empty."); }));
    Pump(100);
    EXPECT_EQ(Frame().ActiveView(), &Camera());
    EXPECT_TRUE(MessageBoxSeam::Shown().isEmpty());
    EXPECT_FALSE(Camera().IsWatchdogRunning()) << "no camera to connect again";
    PressKey(&Camera(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_FALSE(Frame().Bar().IsChecked(Command::Record)) << "no camera to record";
}

int Focuses(InProcessCamsim& camera) {
    const std::vector<std::string> sent = camera.Server().PtzCommands();
    return static_cast<int>(std::count_if(sent.begin(), sent.end(), [](const std::string& command) {
        return command.find("autofocus=on") != std::string::npos;
    }));
}

TEST_F(CameraSwitchTest, TheArrowKeysFollowTheViewsRotation) {
    MakeSwitch(0);
    // Right, Down, Left, Up at each rotation: n(ext), o(ut), p(revious), i(n).
    const struct {
        int rotation;
        const char* meanings;
    } cases[] = {{0, "nopi"}, {90, "inop"}, {180, "pino"}, {270, "opin"}, {450, "inop"}};
    const Qt::Key keys[4] = {Qt::Key_Right, Qt::Key_Down, Qt::Key_Left, Qt::Key_Up};
    Start();
    Settings().SetValue("/View/AutoSwitch", Data(false));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rotation);
        Frame().OnCommand(Command::ViewCameras);
        ASSERT_TRUE(PumpUntil([this] { return Frame().ActiveView() == &Collection(); }));
        Settings().SetValue("/View/Rotation", Data(c.rotation));
        int focuses[3];
        // A camera opened or stepped to has been focused, so that a zoom is not given while the
        // focus is being sent (it would be dropped): a shared stream shows the camera before that.
        const auto countFocuses = [&] {
            for (int i = 0; i < 3; ++i)
                focuses[i] = Focuses(*cameras[i]);
        };
        const auto focused = [&] {
            const int index = Camera().CurrentCamera().name.at(0).unicode() - 'A';
            return PumpUntil(
                [&] { return Focuses(*cameras[index]) > focuses[index] && !Camera().SendingCommand(); });
        };
        countFocuses();
        ASSERT_TRUE(OpenAndWaitForStream("/CameraCollection/Tour"));
        ASSERT_TRUE(focused());
        for (int k = 0; k < 4; ++k) {
            const int from = Log().size();
            const QString name = Camera().CurrentCamera().name;
            InProcessCamsim& shown = *cameras[name.at(0).unicode() - 'A'];
            // The zoom comes after these.
            const size_t commands = shown.Server().PtzCommands().size();
            countFocuses();
            QTest::keyClick(&Camera(), keys[k]);
            switch (c.meanings[k]) {
            case 'n':
                EXPECT_TRUE(PumpUntil([&] { return LogIndex("OnViewNextCamera", from) >= 0; }));
                ASSERT_TRUE(PumpUntil([this] { return Camera().HostWindow()->isVisible(); }));
                ASSERT_TRUE(focused());
                break;
            case 'p':
                EXPECT_TRUE(PumpUntil([&] { return LogIndex("OnViewPreviousCamera", from) >= 0; }));
                ASSERT_TRUE(PumpUntil([this] { return Camera().HostWindow()->isVisible(); }));
                ASSERT_TRUE(focused());
                break;
            case 'i':
            case 'o': {
                const std::string zoom = c.meanings[k] == 'i' ? "/vexo-cgi/com/ptz.cgi?rzoom=2500"
                                                              : "/vexo-cgi/com/ptz.cgi?rzoom=-2500";
                EXPECT_TRUE(PumpUntil([&] {
                    const std::vector<std::string> sent = shown.Server().PtzCommands();
                    return std::find(sent.begin() + static_cast<std::ptrdiff_t>(commands), sent.end(),
                                     zoom) != sent.end();
                })) << zoom;
                break;
            }
            }
        }
    }
}

} // namespace
