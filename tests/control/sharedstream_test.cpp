// Controls that share their camera's connection: one stream per camera in the
// process however many controls show it, each with its own events, and a stream
// that outlives the controls that leave it. Against a camera that serves one
// client at a time, as many hobby cameras do.

#include "tests/control/controlfixture.h"

#include "platform/com/bstring.h"
#include "tests/support/qtprinters.h"
#include "tools/camsim/motionscene.h"

#include <functional>
#include <memory>
#include <string>

namespace {

const char kStream[] = "/vexo-cgi/mjpg/video.cgi";

// A control of its own window, sharing its connection unless told otherwise.
struct Viewer {
    explicit Viewer(const std::string& url, bool shared = true, const QString& user = QString(),
                    const std::function<void(CCamImage*)>& before = {}) {
        control = CCamImage::Create();
        events = std::make_unique<EventRecorder>(static_cast<ICamImage*>(control));
        window.resize(320, 240);
        window.show();
        window.AttachControl(static_cast<ICamImage*>(control));
        control->put_SharedConnection(shared ? 1 : 0);
        control->put_Username(BString(user).Get());
        if (before)
            before(control);
        result = control->put_URL(BString(QString::fromStdString(url)).Get());
    }
    ~Viewer() {
        window.DetachControl();
        control->Release();
    }
    int64_t Drawn() const {
        int64_t read = 0, drawn = 0, bytes = 0;
        control->GetStatistics(&read, &drawn, &bytes);
        return drawn;
    }
    bool DrawsMore(int count = 3) const {
        const int64_t before = Drawn();
        return PumpUntil([&] { return Drawn() >= before + count; });
    }

    ControlHost window;
    CCamImage* control = nullptr;
    std::unique_ptr<EventRecorder> events;
    HRESULT result = E_FAIL;
};

camsim::CameraConfig OneClientCamera() {
    camsim::CameraConfig config;
    config.maxStreamClients = 1;
    return config;
}

size_t Streams(InProcessCamsim& camera, camsim::StreamAnswer answer) {
    return camera.Server().Requests().CountStreams(answer);
}

TEST_F(ControlTest, ControlsOfOneCameraShareOneStreamAndLeaveItOneByOne) {
    AllowLatePictures();
    InProcessCamsim camera(OneClientCamera());
    const std::string url = camera.Url(kStream);
    auto first = std::make_unique<Viewer>(url);
    ASSERT_TRUE(first->events->WaitFor("OnSize 640 480"));
    Viewer second(url);
    ASSERT_EQ(second.result, S_OK);
    ASSERT_TRUE(second.events->WaitFor("OnSize 640 480"));
    EXPECT_EQ(second.events->Texts().mid(0, 2), QStringList({"OnStreamStarted 0 0", "OnSize 640 480"}));
    EXPECT_TRUE(first->DrawsMore() && second.DrawsMore());
    Viewer left(url); // stopped before its first paint: nothing follows its stop
    left.control->StopDownload();
    EXPECT_TRUE(second.DrawsMore());
    EXPECT_EQ(left.events->Texts().last(), "OnStreamStopped");
    // Of the same size and turn, they show one conversion of each picture; of another, their own.
    const auto same = [&] { return &first->control->ShownPicture() == &second.control->ShownPicture(); };
    EXPECT_TRUE(PumpUntil(same));
    second.control->put_Rotate(90);
    EXPECT_TRUE(second.DrawsMore());
    EXPECT_FALSE(same());

    // The one who leaves hears its stream end before StopDownload returns; the
    // other goes on.
    ASSERT_EQ(first->control->StopDownload(), S_OK);
    EXPECT_EQ(first->events->Texts().mid(first->events->Texts().size() - 2),
              QStringList({"OnConnectionBroken 2", "OnStreamStopped"}));
    first.reset();
    EXPECT_TRUE(second.DrawsMore());
    EXPECT_FALSE(second.events->Texts().contains("OnStreamStopped"));

    // A control that comes back soon after the last one left finds the stream
    // still running.
    ASSERT_EQ(second.control->StopDownload(), S_OK);
    Viewer back(url);
    ASSERT_TRUE(back.events->WaitFor("OnSize 640 480"));
    EXPECT_EQ(Streams(camera, camsim::StreamAnswer::Served), 1u);
    EXPECT_EQ(Streams(camera, camsim::StreamAnswer::Refused), 0u);

    // The last one to leave ends the stream once the linger is over.
    ASSERT_EQ(back.control->StopDownload(), S_OK);
    EXPECT_TRUE(camera.Server().Requests().WaitFinished(0, CameraSource::kLingerMs + kCamsimWaitMs));

    // A stream that fails before its first picture gives the camera's one place back at once.
    camsim::Faults huge;
    huge.pictureSize = 40 << 20;
    camera.Server().QueueFaults(huge);
    Viewer failing(url);
    ASSERT_TRUE(failing.events->WaitFor("OnConnectionFailed 5", 10000));
    EXPECT_TRUE(camera.Server().Requests().WaitFinished(1, 2000));
}

// A camera's last seconds are kept while a control of it asks for them (the camera view), and go a
// change of view after the last one that asked has left: while others (tiles) still show it, or
// with the stream, though the control that asked stays, stopped.
TEST_F(ControlTest, ACamerasLastSecondsGoAChangeOfViewAfterTheLastControlThatAskedLeaves) {
    AllowLatePictures();
    for (bool tileStays : {true, false}) {
        SCOPED_TRACE(tileStays ? "a tile stays" : "the stopped control stays");
        InProcessCamsim camera;
        const std::string url = camera.Url(kStream);
        const size_t before = ReplayMemory::AllBytes();
        std::unique_ptr<Viewer> tile = tileStays ? std::make_unique<Viewer>(url) : nullptr;
        auto asking =
            std::make_unique<Viewer>(url, true, QString(), [](CCamImage* c) { c->put_ReplaySeconds(30); });
        ASSERT_TRUE(asking->DrawsMore(10));
        EXPECT_GT(ReplayMemory::AllBytes(), before);
        if (tileStays)
            asking.reset();
        else
            asking->control->StopDownload();
        Pump(CameraSource::kLingerMs / 4);
        EXPECT_GT(ReplayMemory::AllBytes(), before) << "kept for a change of view";
        EXPECT_TRUE(
            PumpUntil([&] { return ReplayMemory::AllBytes() == before; }, CameraSource::kLingerMs + 2000));
        EXPECT_TRUE(!tile || tile->DrawsMore());
    }
}

// Each control of a camera hears of the motion its own settings see: one whose whole picture is
// ignored hears of none, though others of the camera do, and so does one that does not look. A
// paused control's picture of the motion is the camera's, not the paused one. A control that stops
// looking hears the motion under way end.
TEST_F(ControlTest, EachControlOfACameraHearsOfTheMotionItsOwnSettingsSee) {
    AllowLatePictures();
    camsim::CameraConfig moving;
    moving.scene = *camsim::MotionScene::Parse("box:50:80");
    InProcessCamsim camera(moving);
    const std::string url = camera.Url(kStream);
    const auto looking = [](const char* ignored) {
        return [ignored](CCamImage* control) {
            control->put_MotionDetection(1);
            control->put_MotionIgnored(BString(QString(ignored)).Get());
        };
    };
    const auto heard = [](const Viewer& viewer, const char* motion) {
        return !viewer.events->Texts().filter(motion).isEmpty();
    };
    Viewer blind(url, true, {}, looking("0,0,10000,10000")); // everything ignored
    ASSERT_TRUE(blind.events->WaitFor("OnSize 640 480"));
    Viewer watching(url, true, {}, looking(""));
    Viewer twin(url, true, {}, looking(""));
    Viewer other(url);
    ASSERT_TRUE(watching.DrawsMore(1));
    BString none;
    EXPECT_EQ(watching.control->get_MotionPicture(none.Receive()), S_OK);
    EXPECT_EQ(none.Get(), nullptr);
    watching.control->put_Paused(1);
    EXPECT_TRUE(PumpUntil([&] { return heard(watching, "OnMotion 1 "); }, 8000));
    EXPECT_TRUE(heard(twin, "OnMotion 1 "));
    EXPECT_FALSE(heard(blind, "OnMotion") || heard(other, "OnMotion"));
    BString paused, moment;
    watching.control->get_Picture(paused.Receive());
    watching.control->get_MotionPicture(moment.Receive());
    ASSERT_NE(moment.Get(), nullptr);
    EXPECT_NE(moment.ToByteArray(), paused.ToByteArray());
    watching.control->put_MotionDetection(0);
    EXPECT_TRUE(PumpUntil([&] { return heard(watching, "OnMotion 0 "); }));
    EXPECT_FALSE(heard(twin, "OnMotion 0 "));
}

TEST_F(ControlTest, OnlyControlsOfTheSameCameraAndCredentialsShareAStream) {
    const struct {
        const char* name;
        bool secondShared;
        QString secondUser;
    } cases[] = {
        {"a control that does not share", false, QString()},
        {"another user name", true, QStringLiteral("guest")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        InProcessCamsim camera;
        const std::string url = camera.Url(kStream);
        Viewer first(url);
        ASSERT_TRUE(first.events->WaitFor("OnSize 640 480"));
        Viewer second(url, c.secondShared, c.secondUser);
        ASSERT_TRUE(second.events->WaitFor("OnSize 640 480"));
        EXPECT_EQ(Streams(camera, camsim::StreamAnswer::Served), 2u);
    }
}

TEST_F(ControlTest, ACameraFrozenOnOnePictureIsToldApartFromOneThatChanges) {
    AllowLatePictures();
    camsim::CameraConfig config;
    config.faults.repeatAfter = 3;
    InProcessCamsim camera(config);
    MakeControl();
    ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
    int32_t seconds = 0;
    ASSERT_TRUE(PumpUntil([&] { return control->get_SamePictureSeconds(&seconds) == S_OK && seconds >= 1; }));
    camera.Server().Unfreeze();
    EXPECT_TRUE(PumpUntil([&] { return control->get_SamePictureSeconds(&seconds) == S_OK && seconds == 0; }));
}

} // namespace
