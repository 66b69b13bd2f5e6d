// The stream control against a simulated camera: every way a stream starts, fails and ends,
// with its events, their order and their thread; properties, taps and persistence.

#include "tests/control/controlfixture.h"

#include "platform/com/bstring.h"
#include "platform/com/comptr.h"
#include "platform/com/dispatchsink.h"
#include "platform/com/memorystream.h"
#include "tests/support/filesystemfaults.h"
#include "tests/support/qtprinters.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <QWheelEvent>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <tuple>

void ControlTest::SetUp() {
    StreamTimings timings;
    timings.connectionTimeoutMs = 1500;
    timings.retryDelayMs = 50;
    timings.pictureCheckMs = 100;
    timings.pictureTimeoutMs = 300;
    StreamTimings::SetForTest(timings);
    host.resize(640, 480);
    host.show();
}

void ControlTest::AllowLatePictures() {
    StreamTimings timings = StreamTimings::Current();
    timings.pictureTimeoutMs = 5000;
    StreamTimings::SetForTest(timings);
}

void ControlTest::TearDown() {
    ReleaseControl();
    StreamTimings::SetForTest(StreamTimings());
}

void ControlTest::ReleaseControl() {
    if (control) {
        host.DetachControl();
        control->Release(); // stops the stream and waits for its threads
        control = nullptr;
    }
    events.reset();
}

void ControlTest::MakeControl(bool embed) {
    control = CCamImage::Create();
    events = std::make_unique<EventRecorder>(static_cast<ICamImage*>(control));
    if (embed) {
        ASSERT_EQ(host.AttachControl(static_cast<ICamImage*>(control)), S_OK);
    }
}

HRESULT ControlTest::PutText(HRESULT (ICamImage::*setter)(BSTR), const QString& text) {
    return (static_cast<ICamImage*>(control)->*setter)(BString(text).Get());
}

HRESULT ControlTest::PutUrl(const std::string& url) {
    return PutText(&ICamImage::put_URL, QString::fromStdString(url));
}

int64_t ControlTest::PicturesRead() {
    int64_t read = 0, drawn = 0, bytes = 0;
    control->GetStatistics(&read, &drawn, &bytes);
    return read;
}

int64_t ControlTest::PicturesDrawn() {
    int64_t read = 0, drawn = 0, bytes = 0;
    control->GetStatistics(&read, &drawn, &bytes);
    return drawn;
}

QWidget* ControlTest::ControlWindow() {
    QWidget* window = nullptr;
    control->GetWindow(&window);
    return window;
}

namespace {

const char kStream[] = "/vexo-cgi/mjpg/video.cgi";

// Whether every event but those named came from the control's own threads.
bool OnlyOnReadThread(const std::vector<RecordedEvent>& events) {
    for (const RecordedEvent& event : events) {
        if (event.onUiThread)
            return false;
    }
    return true;
}

TEST_F(ControlTest, AStreamStartsReportsItsSizeAndIsDrawn) {
    InProcessCamsim camera;
    MakeControl();
    ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
    ASSERT_TRUE(events->WaitFor("OnSize 640 480"));
    EXPECT_EQ(events->Texts().mid(0, 2), QStringList({"OnStreamStarted 0 0", "OnSize 640 480"}));
    EXPECT_TRUE(OnlyOnReadThread(events->Events()));
    ASSERT_TRUE(PumpUntil([&] { return PicturesDrawn() >= 5; }));
    EXPECT_EQ(events->Texts().count("OnSize 640 480"), 1); // announced once
}

TEST_F(ControlTest, OpenFailuresAreReportedOnTheCallersThread) {
    MakeControl();
    EXPECT_EQ(PutUrl("this is no url"), E_FAIL);
    ASSERT_EQ(events->Texts(), QStringList({"OnConnectionFailed 0"}));
    EXPECT_TRUE(events->Events()[0].onUiThread);

    events->Clear();
    CCamImage* fresh = CCamImage::Create(); // StartDownload with no URL ever set
    EventRecorder freshEvents(static_cast<ICamImage*>(fresh));
    ControlHost otherHost;
    otherHost.show();
    ASSERT_EQ(otherHost.AttachControl(static_cast<ICamImage*>(fresh)), S_OK);
    EXPECT_EQ(fresh->StartDownload(), E_FAIL);
    EXPECT_EQ(freshEvents.Texts(), QStringList({"OnConnectionFailed 0"}));
    otherHost.DetachControl();
    fresh->Release();
}

TEST_F(ControlTest, AnswersOtherThanOkGiveTheirStatus) {
    camsim::CameraConfig config = FastCamera();
    config.auth = camsim::AuthMode::Digest;
    config.user = "root";
    config.password = "secret";
    InProcessCamsim camera(config);
    MakeControl();
    ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
    ASSERT_TRUE(events->WaitFor("OnConnectionFailed 401"));
    EXPECT_FALSE(events->Events().back().onUiThread);

    events->Clear();
    PutText(&ICamImage::put_Username, "root");
    PutText(&ICamImage::put_Password, "secret");
    ASSERT_EQ(PutUrl(camera.Url("/vexo-cgi/mjpg/nothing.cgi")), S_OK);
    ASSERT_TRUE(events->WaitFor("OnConnectionFailed 404"));

    events->Clear();
    ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
    EXPECT_TRUE(events->WaitFor("OnStreamStarted 0 0")); // the right password opens it
}

TEST_F(ControlTest, ARedirectedStreamPlaysAndAnEndlessChainGivesItsLastStatus) {
    AllowLatePictures();
    InProcessCamsim camera(FastCamera());
    camsim::Faults moved;
    moved.status = 301;
    moved.location = kStream;
    camera.Server().QueueFaults(moved, "/old/");
    MakeControl();
    ASSERT_EQ(PutUrl(camera.Url("/old/")), S_OK);
    ASSERT_TRUE(events->WaitFor("OnStreamStarted 0 0"));

    events->Clear();
    moved.status = 302;
    moved.location = "/loop/";
    for (int hop = 0; hop < 6; ++hop)
        camera.Server().QueueFaults(moved, "/loop/");
    ASSERT_EQ(PutUrl(camera.Url("/loop/")), S_OK);
    ASSERT_TRUE(events->WaitFor("OnConnectionFailed 302"));
}

TEST_F(ControlTest, SendFailuresAndUnreachableCameras) {
    InProcessCamsim camera(FastCamera());
    camsim::Faults close;
    close.closeBeforeHead = true;
    camera.Server().QueueFaults(close);
    MakeControl();
    ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
    ASSERT_TRUE(events->WaitFor("OnConnectionFailed 0"));

    events->Clear();
    const uint16_t nobody = UnusedLoopbackPort();
    ASSERT_EQ(PutUrl("http://127.0.0.1:" + std::to_string(nobody) + kStream), S_OK);
    // Retried until the connection limit, the failed tries counted meanwhile: 4 from the send
    // loop, or 0 when the connection timer stopped the session first.
    int32_t attempts = 0;
    int32_t mostAttempts = 0;
    ASSERT_TRUE(PumpUntil([&] {
        control->get_FailedConnectAttempts(&attempts);
        mostAttempts = std::max(mostAttempts, attempts);
        return !events->Texts().isEmpty();
    }));
    EXPECT_GE(mostAttempts, 1);
    control->get_FailedConnectAttempts(&attempts);
    EXPECT_EQ(attempts, 0);
    const QString failure = events->Texts().front();
    EXPECT_TRUE(failure == "OnConnectionFailed 4" || failure == "OnConnectionFailed 0")
        << failure.toStdString();
}

TEST_F(ControlTest, AnswersThatAreNoPictureStreamGiveFourAndEndsBeforeAPictureFive) {
    InProcessCamsim camera(FastCamera());
    camsim::Faults junk;
    junk.junkBytes = 300;
    camera.Server().QueueFaults(junk);
    MakeControl();
    ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
    ASSERT_TRUE(events->WaitFor("OnConnectionFailed 4"));

    events->Clear();
    camsim::Faults empty;
    empty.closeMidPicture = 0;
    camera.Server().QueueFaults(empty);
    ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
    ASSERT_TRUE(events->WaitFor("OnStreamStopped"));
    EXPECT_EQ(events->Texts(), QStringList({"OnConnectionFailed 5", "OnStreamStopped"}));
}

TEST_F(ControlTest, ALostConnectionIsBrokenThenStopped) {
    InProcessCamsim camera(FastCamera());
    camsim::Faults loss;
    loss.closeAfter = 3;
    camera.Server().QueueFaults(loss);
    MakeControl();
    ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
    ASSERT_TRUE(events->WaitFor("OnStreamStopped"));
    const QStringList texts = events->Texts();
    EXPECT_EQ(texts.front(), "OnStreamStarted 0 0");
    EXPECT_EQ(texts.mid(texts.size() - 2), QStringList({"OnConnectionBroken 2", "OnStreamStopped"}));
    EXPECT_TRUE(OnlyOnReadThread(events->Events()));
}

TEST_F(ControlTest, StopDownloadEndsTheStreamBeforeItReturns) {
    InProcessCamsim camera;
    MakeControl();
    ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
    ASSERT_TRUE(events->WaitFor("OnStreamStarted 0 0"));
    ASSERT_EQ(control->StopDownload(), S_OK);
    const QStringList texts = events->Texts(); // no event loop ran since the call
    ASSERT_GE(texts.size(), 3);
    EXPECT_EQ(texts.mid(texts.size() - 2), QStringList({"OnConnectionBroken 2", "OnStreamStopped"}));
    EXPECT_TRUE(OnlyOnReadThread(events->Events()));
    EXPECT_EQ(control->StopDownload(), S_OK); // again: nothing to stop
    EXPECT_EQ(events->Texts().size(), texts.size());
}

// Embedding hosts handle events synchronously on their UI thread: the control's thread waits
// until the UI thread has handled the event. This host stops the stream from inside the event
// that says it broke, while the read thread that fired it waits for the UI thread.
TEST_F(ControlTest, AHostThatHandlesEventsOnItsUiThreadAndWaitsIsNeverDeadlocked) {
    StreamTimings timings = StreamTimings::Current();
    timings.stopWaitMs = 300;
    StreamTimings::SetForTest(timings);
    InProcessCamsim camera(FastCamera());
    camsim::Faults loss;
    loss.closeAfter = 5;
    camera.Server().QueueFaults(loss);
    MakeControl();
    QStringList handled; // on the UI thread
    qint64 stopTook = -1;
    ComPtr<DispatchSink> synchronousHost(DispatchSink::Create(DIID_ICamImageEvents, [&](DISPID member,
                                                                                        const DISPPARAMS&) {
        const auto handle = [&, member] {
            handled.append(QString::number(member));
            if (member == CamImageEventDispid::OnConnectionBroken) {
                QElapsedTimer stopping;
                stopping.start();
                control->StopDownload();
                stopTook = stopping.elapsed();
            }
        };
        const bool onUi = QThread::currentThread() == qApp->thread();
        QMetaObject::invokeMethod(qApp, handle, onUi ? Qt::DirectConnection : Qt::BlockingQueuedConnection);
    }));
    ASSERT_TRUE(synchronousHost->Connect(static_cast<ICamImage*>(control)));
    ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
    const bool stopped =
        PumpUntil([&] { return handled.contains(QString::number(CamImageEventDispid::OnStreamStopped)); });
    synchronousHost->Disconnect();
    ASSERT_TRUE(stopped);
    // The stop waited its bounded time for the read thread, which waited for it, and went on.
    EXPECT_GE(stopTook, 0);
    EXPECT_LT(stopTook, 300 + 1000);
    const QStringList texts = events->Texts();
    EXPECT_EQ(texts.mid(texts.size() - 2), QStringList({"OnConnectionBroken 2", "OnStreamStopped"}));
}

// A tap just before leaving the camera reaches it: the stop lets the command being sent finish,
// and cuts off only one that is still being sent after the stop's wait.
TEST_F(ControlTest, StoppingLetsATapCommandBeingSentFinish) {
    StreamTimings timings = StreamTimings::Current();
    timings.stopWaitMs = 1500;
    StreamTimings::SetForTest(timings);
    camsim::CameraConfig config;
    config.ptz = true;
    InProcessCamsim camera(config);
    MakeControl();
    ASSERT_EQ(
        PutText(&ICamImage::put_PTZ_URL, "/vexo-cgi/com/ptz.cgi?imagewidth=%d&imageheight=%d&center=%d,%d"),
        S_OK);
    for (const int answerAfterMs : {300, 4000}) {
        SCOPED_TRACE(answerAfterMs);
        events->Clear();
        ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
        ASSERT_TRUE(events->WaitFor("OnStreamStarted 0 0"));
        camsim::Faults slow;
        slow.delayMs = answerAfterMs;
        camera.Server().QueueFaults(slow, "/vexo-cgi/com/ptz.cgi");
        const size_t before = camera.Server().PtzCommands().size();
        QTest::mouseClick(ControlWindow(), Qt::LeftButton, {}, QPoint(30, 40));
        QElapsedTimer stopping;
        stopping.start();
        ASSERT_EQ(control->StopDownload(), S_OK);
        if (answerAfterMs < 1500) {
            EXPECT_EQ(camera.Server().PtzCommands().size(), before + 1);
        } else {
            EXPECT_LT(stopping.elapsed(), 1500 + 1000);
            Pump(100);
            EXPECT_EQ(camera.Server().PtzCommands().size(), before);
        }
    }
}

TEST_F(ControlTest, ANewUrlStopsTheRunningStreamAndOpensTheNewOne) {
    InProcessCamsim first;
    InProcessCamsim second;
    MakeControl();
    ASSERT_EQ(PutUrl(first.Url(kStream)), S_OK);
    ASSERT_TRUE(events->WaitFor("OnStreamStarted 0 0"));
    ASSERT_TRUE(PumpUntil([&] { return PicturesDrawn() > 0; }));
    ASSERT_TRUE(events->WaitFor("OnSize 640 480")); // told as the picture after the one drawn comes
    events->Clear();
    ASSERT_EQ(PutUrl(second.Url(kStream)), S_OK);
    EXPECT_EQ(events->Texts().mid(0, 2), QStringList({"OnConnectionBroken 2", "OnStreamStopped"}));
    // Until the new camera's first picture, the first camera's is not paused on.
    int32_t paused = 1;
    control->put_Paused(1);
    control->get_Paused(&paused);
    EXPECT_EQ(paused, 0);
    ASSERT_TRUE(events->WaitFor("OnStreamStarted 0 0"));
    EXPECT_EQ(second.Server().Requests().All().size(), 1u);

    // An empty URL is refused and leaves the running stream alone.
    const int64_t before = PicturesRead();
    EXPECT_EQ(PutUrl(""), E_FAIL);
    EXPECT_TRUE(PumpUntil([&] { return PicturesRead() > before + 3; }));
    BString url;
    control->get_URL(url.Receive());
    EXPECT_EQ(url.ToQString(), QString::fromStdString(second.Url(kStream)));
}

// A camera that stops sending, mid-stream or right after its answer's head (one that hangs or
// reboots, its connection half open), is given up after the picture timeout.
TEST_F(ControlTest, AStreamWithoutPicturesStopsAfterThePictureTimeout) {
    const struct {
        int stallAfter;
        int silentAfterHead;
        QStringList last;
    } cases[] = {
        {2, -1, {"OnConnectionBroken 2", "OnStreamStopped"}},
        {-1, 0, {"OnConnectionFailed 4"}},
        {-1, 150, {"OnConnectionFailed 5", "OnStreamStopped"}}, // the boundary came, no picture
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.last.join(", ").toStdString() + " " + std::to_string(c.silentAfterHead));
        camsim::CameraConfig config = FastCamera();
        config.faults.stallAfter = c.stallAfter;
        config.faults.silentAfterHead = c.silentAfterHead;
        InProcessCamsim camera(config);
        MakeControl();
        ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
        ASSERT_TRUE(events->WaitFor(c.last.last(), 3000));
        const QStringList texts = events->Texts();
        EXPECT_EQ(texts.mid(texts.size() - c.last.size()), c.last);
        ReleaseControl();
    }
}

// A URL set before the window exists opens at the first paint, once: not when the host stopped
// it meanwhile, and not again when the host started it before that paint.
TEST_F(ControlTest, AUrlSetBeforeTheWindowExistsOpensOnceAtTheFirstPaint) {
    for (const auto& [stop, start, streams] :
         {std::tuple{false, false, 1u}, {true, false, 0u}, {false, true, 1u}}) {
        SCOPED_TRACE(stop ? "stopped" : start ? "started" : "as it is");
        InProcessCamsim camera;
        MakeControl(false);
        ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
        Pump(100);
        EXPECT_EQ(camera.Server().Requests().All().size(), 0u);
        if (stop)
            control->StopDownload();
        ASSERT_EQ(host.AttachControl(static_cast<ICamImage*>(control)), S_OK);
        if (start)
            control->StartDownload();
        EXPECT_EQ(events->WaitFor("OnStreamStarted 0 0", streams ? 5000 : 300), streams > 0);
        Pump(200);
        EXPECT_EQ(camera.Server().Requests().All().size(), streams);
        ReleaseControl();
    }
}

TEST_F(ControlTest, FpsZeroLeavesDrawingToOtherRepaints) {
    InProcessCamsim camera;
    MakeControl();
    ASSERT_EQ(control->put_FPS(0.0f), S_OK);
    ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
    ASSERT_TRUE(events->WaitFor("OnStreamStarted 0 0"));
    Pump(50);
    const int64_t drawn = PicturesDrawn();
    const int64_t read = PicturesRead();
    ASSERT_TRUE(PumpUntil([&] { return PicturesRead() >= read + 5; }));
    EXPECT_EQ(PicturesDrawn(), drawn);
    ControlWindow()->repaint();
    EXPECT_EQ(PicturesDrawn(), drawn + 1);
}

TEST_F(ControlTest, PicturesAreDrawnAsTheyArriveButNoFasterThanFps) {
    InProcessCamsim camera(FastCamera());
    MakeControl();
    ASSERT_EQ(control->put_FPS(10.0f), S_OK);
    ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
    // Counted once the window's own first paints are over: those draw the newest picture too.
    ASSERT_TRUE(PumpUntil([&] { return PicturesDrawn() >= 1; }));
    Pump(50);
    const int64_t drawnBefore = PicturesDrawn();
    const int64_t readBefore = PicturesRead();
    QElapsedTimer elapsed;
    elapsed.start();
    ASSERT_TRUE(PumpUntil([&] { return PicturesRead() >= readBefore + 200 && elapsed.elapsed() >= 500; }));
    const int64_t drawn = PicturesDrawn() - drawnBefore;
    EXPECT_GE(drawn, 2);
    EXPECT_LE(drawn, elapsed.elapsed() / 100 + 2) << "a repaint at most every 100 ms";
}

TEST_F(ControlTest, TapsSendTheCentreCommandThroughTheRotation) {
    camsim::CameraConfig config;
    config.ptz = true;
    InProcessCamsim camera(config);
    MakeControl();
    ASSERT_EQ(
        PutText(&ICamImage::put_PTZ_URL, "/vexo-cgi/com/ptz.cgi?imagewidth=%d&imageheight=%d&center=%d,%d"),
        S_OK);
    ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
    ASSERT_TRUE(events->WaitFor("OnStreamStarted 0 0"));

    const struct {
        int16_t rotate;
        const char* command;
    } cases[] = {
        {0, "/vexo-cgi/com/ptz.cgi?imagewidth=640&imageheight=480&center=30,40"},
        {90, "/vexo-cgi/com/ptz.cgi?imagewidth=480&imageheight=640&center=40,610"},
        {180, "/vexo-cgi/com/ptz.cgi?imagewidth=640&imageheight=480&center=610,440"},
        {270, "/vexo-cgi/com/ptz.cgi?imagewidth=480&imageheight=640&center=440,30"},
    };
    size_t sent = 0;
    for (const auto& c : cases) {
        control->put_Rotate(c.rotate);
        // Until the last command's thread has ended, a tap is dropped: tap until one gets through.
        ASSERT_TRUE(PumpUntil([&] {
            if (camera.Server().PtzCommands().size() > sent)
                return true;
            QTest::mouseClick(ControlWindow(), Qt::LeftButton, {}, QPoint(30, 40));
            Pump(10);
            return camera.Server().PtzCommands().size() > sent;
        })) << c.rotate;
        EXPECT_EQ(camera.Server().PtzCommands().back(), c.command);
        ++sent;
    }

    // A tap while the last command is still being sent is dropped.
    camsim::Faults slow;
    slow.delayMs = 400;
    camera.Server().QueueFaults(slow, "/vexo-cgi/com/ptz.cgi");
    control->put_Rotate(0);
    Pump(100); // the last command's thread has ended
    QTest::mouseClick(ControlWindow(), Qt::LeftButton, {}, QPoint(1, 2));
    QTest::mouseClick(ControlWindow(), Qt::LeftButton, {}, QPoint(3, 4));
    ASSERT_TRUE(PumpUntil([&] { return camera.Server().PtzCommands().size() > sent; }));
    Pump(200);
    EXPECT_EQ(camera.Server().PtzCommands().size(), sent + 1);
    EXPECT_TRUE(QString::fromStdString(camera.Server().PtzCommands().back()).endsWith("center=1,2"));

    // A template that is not a command of four numbers is not sent.
    ASSERT_EQ(PutText(&ICamImage::put_PTZ_URL, "/vexo-cgi/com/ptz.cgi?center=%s"), S_OK);
    Pump(500); // the slow command has ended
    QTest::mouseClick(ControlWindow(), Qt::LeftButton, {}, QPoint(5, 6));
    Pump(200);
    EXPECT_EQ(camera.Server().PtzCommands().size(), sent + 1);
}

// With the digital zoom on, the wheel zooms about the pointer, a drag pans, and only a click that
// does not drag centres the camera, where the click falls on the whole picture.
TEST_F(ControlTest, ZoomedTheWheelKeepsThePointedPlaceADragPansAndATapCentresOnTheWholePicture) {
    camsim::CameraConfig config;
    config.ptz = true;
    InProcessCamsim camera(config);
    MakeControl();
    control->put_DigitalZoom(1);
    ASSERT_EQ(
        PutText(&ICamImage::put_PTZ_URL, "/vexo-cgi/com/ptz.cgi?imagewidth=%d&imageheight=%d&center=%d,%d"),
        S_OK);
    ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return PicturesDrawn() > 0; }));
    QWidget* window = ControlWindow();
    const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        QMouseEvent event(type, at, window->mapToGlobal(at), Qt::LeftButton, held, {});
        QCoreApplication::sendEvent(window, &event);
    };
    size_t sent = 0;
    const auto tap = [&](QPoint at) {
        // A tap while the last command is still being sent is dropped: tap until one gets through.
        EXPECT_TRUE(PumpUntil([&] {
            send(QEvent::MouseButtonPress, at, Qt::LeftButton);
            send(QEvent::MouseButtonRelease, at, {});
            Pump(10);
            return camera.Server().PtzCommands().size() > sent;
        }));
        ++sent;
        const std::string last = camera.Server().PtzCommands().back();
        return last.substr(last.find("center="));
    };
    QWheelEvent wheel(QPointF(160, 120), window->mapToGlobal(QPointF(160, 120)), QPoint(), QPoint(0, 240),
                      Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(window, &wheel);
    int32_t percent = 0;
    control->get_Zoom(&percent);
    EXPECT_EQ(percent, 200);
    EXPECT_EQ(tap(QPoint(160, 120)), "center=160,120"); // what was under the pointer still is
    EXPECT_EQ(tap(QPoint(0, 0)), "center=80,60");
    // A drag of 40 pixels to the right pans by 20 of the picture's, and sends nothing.
    send(QEvent::MouseButtonPress, QPoint(100, 100), Qt::LeftButton);
    for (int x = 110; x <= 140; x += 10)
        send(QEvent::MouseMove, QPoint(x, 100), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, QPoint(140, 100), {});
    Pump(300);
    EXPECT_EQ(camera.Server().PtzCommands().size(), sent);
    EXPECT_EQ(tap(QPoint(0, 0)), "center=60,60");
    // Turned, the same part of the scene stays shown: its top left is now at the bottom right.
    control->put_Rotate(180);
    EXPECT_EQ(tap(window->rect().bottomRight()), "center=60,60");
    control->put_Rotate(0);
    control->put_Zoom(100);
    EXPECT_EQ(tap(QPoint(30, 40)), "center=30,40");
}

// A recorded camera's pictures go into its folder, a file for each connection: the stream that
// was lost is closed whole, and the one that follows goes into a new file.
TEST_F(ControlTest, EachConnectionOfARecordedCameraGoesIntoAFileOfItsOwn) {
    InProcessCamsim camera;
    camsim::Faults loss;
    loss.closeAfter = 10;
    camera.Server().QueueFaults(loss);
    MakeControl();
    ASSERT_EQ(PutText(&ICamImage::put_RecordFolder, root.File("Recordings/Gate")), S_OK);
    ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
    ASSERT_TRUE(events->WaitFor("OnStreamStopped"));
    control->StopDownload(); // as the viewer does before it connects again
    control->StartDownload();
    int32_t recording = 0;
    ASSERT_TRUE(PumpUntil([&] { return control->get_Recording(&recording) == S_OK && recording == 1; }));
    Pump(300);
    control->StopDownload();
    control->get_Recording(&recording);
    EXPECT_EQ(recording, 0);
    const QDir day(root.File("Recordings/Gate/" + QDate::currentDate().toString("yyyy-MM-dd")));
    const QStringList files = day.entryList({"Gate-*.mkv"}, QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 2) << day.path().toStdString();
    QStringList frames;
    for (const QString& file : files) {
        QProcess probe;
        probe.start("ffprobe", {"-v", "error", "-count_frames", "-show_entries", "stream=nb_read_frames",
                                "-of", "default=nw=1:nk=1", day.filePath(file)});
        ASSERT_TRUE(probe.waitForFinished(10000));
        frames.append(QString::fromLatin1(probe.readAllStandardOutput().trimmed()));
    }
    EXPECT_TRUE(frames.contains("10")) << frames.join(' ').toStdString(); // the lost stream's, whole
    BString error;
    control->get_RecordingError(error.Receive());
    EXPECT_TRUE(error.ToQString().isEmpty());
}

// Paused, the picture stays while the stream goes on; steps move through the pictures kept, by
// picture and by time; a clip holds them all; live again, the pictures move on.
TEST_F(ControlTest, APausedPictureStaysAndStepsGoThroughTheLastSecondsKept) {
    AllowLatePictures();
    InProcessCamsim camera;
    MakeControl();
    control->put_ReplaySeconds(30);
    ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return PicturesRead() >= 40; }));
    const auto picture = [&] {
        BString jpeg;
        control->get_Picture(jpeg.Receive());
        return jpeg.ToByteArray();
    };
    const auto shownTime = [&] {
        BString time;
        control->get_ShownTime(time.Receive());
        return QDateTime::fromString(time.ToQString(), Qt::ISODateWithMs);
    };
    control->put_Paused(1);
    Pump(50);
    const QByteArray paused = picture();
    const QDateTime pausedAt = shownTime();
    ASSERT_TRUE(pausedAt.isValid());
    const int64_t readBefore = PicturesRead();
    Pump(300);
    EXPECT_EQ(picture(), paused);
    EXPECT_GT(PicturesRead(), readBefore) << "the stream goes on while paused";
    control->put_Rotate(90); // the paused picture turns with the window
    ControlWindow()->update();
    EXPECT_TRUE(PumpUntil([&] {
        const DisplayPicture& shown = control->ShownPicture(); // the display's, which changes
        return shown.DrawnWidth() == shown.PictureHeight();
    }));
    control->put_Rotate(0);
    ControlWindow()->update();
    // The camera sends 25 a second: 5 pictures are 200 ms.
    const struct {
        int pictures;
        int ms;
        int expectedMs; // from the paused picture
    } steps[] = {{-5, 0, -200}, {5, 0, 0}, {0, -1000, -1000}, {0, 1000, 0}, {-10000, 0, -10000}};
    for (const auto& step : steps) {
        if (step.pictures)
            control->put_ReplayStep(step.pictures);
        else
            control->put_ReplayStepMs(step.ms);
        Pump(50);
        const qint64 offset = pausedAt.msecsTo(shownTime());
        if (step.expectedMs == -10000)
            EXPECT_LT(offset, -1000) << "at the oldest kept, 40 pictures back or more";
        else
            EXPECT_NEAR(offset, step.expectedMs, 80)
                << step.pictures << " " << step.ms; // two pictures: arrivals jitter
    }
    control->put_ReplayStep(1000000); // the newest kept
    Pump(50);
    EXPECT_NE(picture(), paused);

    const QString clip = root.File("clip.mkv");
    ASSERT_EQ(PutText(&ICamImage::put_ClipFile, clip), S_OK);
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-count_frames", "-show_entries", "stream=nb_read_frames", "-of",
                            "default=nw=1:nk=1", clip});
    ASSERT_TRUE(probe.waitForFinished(10000));
    EXPECT_GE(probe.readAllStandardOutput().trimmed().toInt(), 40);
    EXPECT_EQ(PutText(&ICamImage::put_ClipFile, root.File("no/such/folder.mkv")), E_FAIL);
    {
        const FileSizeLimit full(4096); // a clip cut short by a full disk is not left behind
        EXPECT_EQ(PutText(&ICamImage::put_ClipFile, root.File("full.mkv")), E_FAIL);
    }
    EXPECT_FALSE(QFile::exists(root.File("full.mkv")));

    control->put_Paused(0);
    const QByteArray live = picture();
    EXPECT_TRUE(PumpUntil([&] { return picture() != live; }));
    EXPECT_FALSE(shownTime().isValid());

    // The steps still reach the pictures kept at the pause once the memory has let them go.
    control->put_ReplaySeconds(1);
    control->put_Paused(1);
    const QDateTime held = shownTime();
    Pump(1500);
    control->put_ReplayStep(-5);
    Pump(50);
    EXPECT_NEAR(held.msecsTo(shownTime()), -200, 80);
}

// A camera's stream lost and opened again keeps the seconds before the loss for the steps back.
TEST_F(ControlTest, TheSecondsKeptGoOnAcrossALostConnection) {
    for (const int32_t shared : {1, 0}) {
        SCOPED_TRACE(shared ? "a shared connection" : "a connection of its own");
        MakeControl();
        control->put_SharedConnection(shared);
        control->put_ReplaySeconds(30);
        InProcessCamsim camera;
        camsim::Faults loss;
        loss.closeAfter = 20; // the first stream's
        camera.Server().QueueFaults(loss);
        ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
        ASSERT_TRUE(events->WaitFor("OnStreamStopped"));
        const QDateTime lost = QDateTime::currentDateTime();
        ASSERT_EQ(control->StartDownload(), S_OK); // as the viewer's reconnect
        const int64_t before = PicturesRead();
        ASSERT_TRUE(PumpUntil([&] { return PicturesRead() > before + 5; }));
        control->put_ReplayStep(-10000);
        BString time;
        control->get_ShownTime(time.Receive());
        EXPECT_GT(QDateTime::fromString(time.ToQString(), Qt::ISODateWithMs).msecsTo(lost), 300)
            << "a picture from before the loss";
        ReleaseControl();
    }
}

TEST_F(ControlTest, PropertiesAreSavedAndLoadedInTheirOrder) {
    MakeControl(false);
    PutUrl("http://cam/vexo-cgi/mjpg/video.cgi");
    control->put_FPS(12.5f);
    control->put_Stretch(1);
    control->put_Rotate(270);
    PutText(&ICamImage::put_PTZ_URL, "/p?%d");
    PutText(&ICamImage::put_Username, "root");
    control->SetExtent(1000, 2000);

    const ComPtr<MemoryStream> stream(MemoryStream::Create());
    ASSERT_EQ(control->Save(stream.Get(), true), S_OK);
    EXPECT_EQ(control->IsDirty(), S_FALSE);
    const std::vector<uint8_t>& bytes = stream->Bytes();
    // version, _cx, _cy, then URL, FPS, Stretch, Rotate and PTZ_URL as typed values
    uint32_t cx = 0, cy = 0;
    std::memcpy(&cx, bytes.data() + 4, 4);
    std::memcpy(&cy, bytes.data() + 8, 4);
    EXPECT_EQ(cx, 1000u);
    EXPECT_EQ(cy, 2000u);
    EXPECT_EQ(bytes[12], VT_BSTR);
    const QByteArray all(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    EXPECT_FALSE(all.contains(QString("root").toUtf8())); // credentials are never saved
    const qsizetype urlAt = all.indexOf(QByteArray::fromRawData(reinterpret_cast<const char*>(u"http"), 8));
    const qsizetype ptzAt = all.indexOf(QByteArray::fromRawData(reinterpret_cast<const char*>(u"/p?%d"), 10));
    EXPECT_LT(urlAt, ptzAt);

    const ComPtr<CCamImage> copy(CCamImage::Create());
    stream->Rewind();
    ASSERT_EQ(copy->Load(stream.Get()), S_OK);
    BString text;
    copy->get_URL(text.Receive());
    EXPECT_EQ(text.ToQString(), "http://cam/vexo-cgi/mjpg/video.cgi");
    copy->get_PTZ_URL(text.Receive());
    EXPECT_EQ(text.ToQString(), "/p?%d");
    copy->get_Username(text.Receive());
    EXPECT_EQ(text.ToQString(), "");
    float fps = 0;
    int32_t stretch = 0;
    int16_t rotate = 0;
    copy->get_FPS(&fps);
    copy->get_Stretch(&stretch);
    copy->get_Rotate(&rotate);
    EXPECT_EQ(fps, 12.5f);
    EXPECT_EQ(stretch, 1);
    EXPECT_EQ(rotate, 270);

    // A cut stream applies nothing.
    const ComPtr<MemoryStream> cut(
        MemoryStream::Create(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 20)));
    const ComPtr<CCamImage> other(CCamImage::Create());
    EXPECT_NE(other->Load(cut.Get()), S_OK);
    other->get_URL(text.Receive());
    EXPECT_EQ(text.ToQString(), "");
}

TEST_F(ControlTest, DispatchReachesEveryMemberByItsIdentifier) {
    MakeControl(false);
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I2;
    value.iVal = 90;
    DISPPARAMS put{&value, nullptr, 1, 0};
    EXPECT_EQ(control->Invoke(CamImageDispid::Rotate, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr,
                              nullptr, nullptr),
              S_OK);
    VARIANT result;
    VariantInit(&result);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(control->Invoke(CamImageDispid::Rotate, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result,
                              nullptr, nullptr),
              S_OK);
    EXPECT_EQ(result.iVal, 90);
    EXPECT_EQ(control->Invoke(CamImageDispid::Password, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result,
                              nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND); // the password cannot be read
    value.vt = VT_I4;
    EXPECT_EQ(control->Invoke(CamImageDispid::Rotate, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr,
                              nullptr, nullptr),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(control->Invoke(42, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
}

TEST_F(ControlTest, DispatchAnswersEachKindOfCallByWhatTheMemberCanDo) {
    MakeControl(false);
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I2;
    DISPPARAMS one{&value, nullptr, 1, 0};
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    constexpr uint16_t kPutGet = DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYGET;
    const struct {
        const char* call;
        DISPID member;
        uint16_t flags;
        DISPPARAMS* parameters;
        bool withResult;
        HRESULT answer;
        VARTYPE resultType; // VT_EMPTY: nothing read
    } cases[] = {
        {"put without a value", CamImageDispid::Rotate, DISPATCH_PROPERTYPUT, &none, true,
         DISP_E_BADPARAMCOUNT, VT_EMPTY},
        {"put without parameters", 42, DISPATCH_PROPERTYPUT, nullptr, false, DISP_E_BADPARAMCOUNT, VT_EMPTY},
        {"get without a result", CamImageDispid::Rotate, DISPATCH_PROPERTYGET, &none, false, E_POINTER,
         VT_EMPTY},
        {"get of a string", CamImageDispid::URL, DISPATCH_PROPERTYGET, &none, true, S_OK, VT_BSTR},
        {"get of a float", CamImageDispid::FPS, DISPATCH_PROPERTYGET, &none, true, S_OK, VT_R4},
        {"put of a counter", CamImageDispid::PicturesShown, DISPATCH_PROPERTYPUT, &one, true,
         DISP_E_MEMBERNOTFOUND, VT_EMPTY},
        {"put and get of a counter", CamImageDispid::PicturesShown, kPutGet, &one, true, S_OK, VT_I4},
        {"put and get of a property", CamImageDispid::Rotate, kPutGet, &one, true, S_OK, VT_EMPTY},
        {"a property as a method", CamImageDispid::Rotate, DISPATCH_METHOD, &none, true,
         DISP_E_MEMBERNOTFOUND, VT_EMPTY},
        {"a method as a get", CamImageDispid::StopDownload, DISPATCH_PROPERTYGET, &none, true, S_OK,
         VT_EMPTY},
        {"get of RecordOnMotion", CamImageDispid::RecordOnMotion, DISPATCH_PROPERTYGET, &none, true, S_OK,
         VT_I4},
        {"put of RecordOnMotion as a short", CamImageDispid::RecordOnMotion, DISPATCH_PROPERTYPUT, &one, true,
         DISP_E_TYPEMISMATCH, VT_EMPTY},
        {"get of RecordBeforeMotion", CamImageDispid::RecordBeforeMotion, DISPATCH_PROPERTYGET, &none, true,
         S_OK, VT_I4},
        {"put of RecordBeforeMotion as a short", CamImageDispid::RecordBeforeMotion, DISPATCH_PROPERTYPUT,
         &one, true, DISP_E_TYPEMISMATCH, VT_EMPTY},
        {"get of MotionPicture", CamImageDispid::MotionPicture, DISPATCH_PROPERTYGET, &none, true, S_OK,
         VT_BSTR},
    };
    for (const auto& c : cases) {
        VARIANT result;
        VariantInit(&result);
        EXPECT_EQ(control->Invoke(c.member, IID_NULL, 0, c.flags, c.parameters,
                                  c.withResult ? &result : nullptr, nullptr, nullptr),
                  c.answer)
            << c.call;
        EXPECT_EQ(result.vt, c.resultType) << c.call;
        VariantClear(&result);
    }
}

TEST_F(ControlTest, ScaledDecodingDecodesNoLargerThanThePictureIsDrawn) {
    InProcessCamsim camera; // 640x480
    host.resize(160, 120);
    MakeControl();
    control->put_Stretch(1);
    control->put_ScaledDecoding(1);
    ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
    ASSERT_TRUE(events->WaitFor("OnSize 640 480")); // the camera's own size, whatever it is decoded at
    ASSERT_TRUE(PumpUntil([&] { return PicturesDrawn() >= 3; }));
    EXPECT_EQ(control->ShownPicture().DecodedWidth(), 160); // a quarter covers 160x120 exactly
    EXPECT_EQ(control->ShownPicture().DecodedHeight(), 120);
    EXPECT_EQ(control->ShownPicture().PictureWidth(), 640);

    host.resize(161, 120); // a quarter no longer covers it: a half
    ASSERT_TRUE(PumpUntil([&] { return control->ShownPicture().DecodedWidth() == 320; }));
    control->put_Rotate(90); // drawn 161x120 turned: 120x161 of the decoded picture
    ASSERT_TRUE(PumpUntil([&] { return control->ShownPicture().BitmapWidth() == 240; }));
    control->put_Stretch(0); // drawn at its own size
    ASSERT_TRUE(PumpUntil([&] { return control->ShownPicture().DecodedWidth() == 640; }));
    control->put_Stretch(1);
    ASSERT_TRUE(PumpUntil([&] { return control->ShownPicture().DecodedWidth() == 320; }));
    VARIANT off;
    VariantInit(&off);
    off.vt = VT_I4;
    off.lVal = 0;
    DISPPARAMS put{&off, nullptr, 1, 0};
    ASSERT_EQ(control->Invoke(CamImageDispid::ScaledDecoding, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put,
                              nullptr, nullptr, nullptr),
              S_OK);
    int32_t scaled = 1;
    control->get_ScaledDecoding(&scaled);
    EXPECT_EQ(scaled, 0); // the default, and off again
    ASSERT_TRUE(PumpUntil([&] { return control->ShownPicture().DecodedWidth() == 640; }));
}

TEST_F(ControlTest, ThePictureShownIsKeptAsSentAndUndecodablePicturesAreCounted) {
    camsim::CameraConfig config;
    config.fps = 5;
    InProcessCamsim camera(config);
    MakeControl();
    BSTR jpeg = reinterpret_cast<BSTR>(1);
    control->get_Picture(&jpeg);
    EXPECT_EQ(jpeg, nullptr); // none shown yet
    ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return PicturesDrawn() >= 1; }));
    int32_t shown = 0;
    control->get_PicturesShown(&shown);
    EXPECT_GE(shown, 1);
    BString picture;
    ASSERT_EQ(control->get_Picture(picture.Receive()), S_OK);
    const std::string bytes = picture.ToByteArray().toStdString();
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\xFF\xD9");
    EXPECT_NE(camera.Server().Requests().All().at(0).body.find(bytes), std::string::npos);

    camsim::CameraConfig broken = FastCamera();
    broken.faults.corrupt = true;
    InProcessCamsim corrupt(broken);
    ASSERT_EQ(PutUrl(corrupt.Url(kStream)), S_OK);
    int32_t undecoded = 0;
    ASSERT_TRUE(PumpUntil([&] {
        control->get_UndecodedPictures(&undecoded);
        return undecoded >= 3;
    }));
    int32_t shownAfter = 0;
    control->get_PicturesShown(&shownAfter);
    control->get_Picture(picture.Receive());
    EXPECT_EQ(picture.ToByteArray().toStdString(), bytes) << "the last good picture stays";

    ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK); // one good picture and the count is 0 again
    ASSERT_TRUE(PumpUntil([&] {
        control->get_UndecodedPictures(&undecoded);
        return undecoded == 0 && PicturesDrawn() > shownAfter;
    }));
}

TEST_F(ControlTest, TheStreamFormatsOfOtherServersAreShown) {
    const auto format = [](const char* boundary, bool first, bool declared, bool lf, bool length,
                           int headerBytes) {
        camsim::Faults faults;
        faults.boundary = boundary;
        faults.boundaryFirst = first;
        faults.boundaryInType = declared;
        faults.chunked = !declared; // as ffmpeg sends it
        faults.lfLineEnds = lf;
        faults.partContentLength = length;
        faults.partHeaderBytes = headerBytes;
        return faults;
    };
    const std::pair<const char*, camsim::Faults> formats[] = {
        {"boundary first", format("myboundary", true, true, false, true, 0)},
        {"boundary declared nowhere", format("ffmpeg", false, false, false, true, 0)},
        {"LF line ends, no Content-Length", format("myboundary", false, true, true, false, 0)},
        {"declared as --frame, 6000 bytes of header lines",
         format("--frame", false, true, false, true, 6000)},
    };
    InProcessCamsim camera(FastCamera());
    MakeControl();
    for (const auto& [name, faults] : formats) {
        SCOPED_TRACE(name);
        events->Clear();
        camera.Server().QueueFaults(faults);
        ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
        ASSERT_TRUE(events->WaitFor("OnSize 640 480")) << events->Texts().join(", ").toStdString();
        const int64_t drawn = PicturesDrawn();
        EXPECT_TRUE(PumpUntil([&] { return PicturesDrawn() >= drawn + 3; }));
    }
}

TEST_F(ControlTest, APictureIsShownAndItsSizeToldBeforeTheNextArrives) {
    for (const bool boundaryFirst : {true, false}) {
        SCOPED_TRACE(boundaryFirst ? "boundary first, with Content-Length"
                                   : "next boundary at once, no Content-Length");
        camsim::CameraConfig config;
        config.fps = 0.2; // the second picture 5 s after the first
        config.faults.boundaryFirst = boundaryFirst;
        config.faults.partContentLength = boundaryFirst;
        InProcessCamsim camera(config);
        std::atomic<int> sent{0};
        camera.Server().SetPictureSentListener([&sent](long long) { ++sent; });
        MakeControl();
        ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
        ASSERT_TRUE(events->WaitFor("OnSize 640 480", 4000));
        // camsim counts a picture once its send has returned, which may come after it is shown.
        EXPECT_TRUE(PumpUntil([&] { return sent > 0; }, 1000));
        EXPECT_EQ(sent, 1);
        EXPECT_EQ(PicturesDrawn(), 1);
        EXPECT_EQ(events->Texts(), QStringList({"OnStreamStarted 0 0", "OnSize 640 480"}));
        ReleaseControl();
    }
}

TEST_F(ControlTest, LargePicturesAreShown) {
    StreamTimings patient = StreamTimings::Current(); // a 10 MB picture takes a while under a sanitizer
    patient.pictureCheckMs = 5000;
    patient.pictureTimeoutMs = 9999;
    StreamTimings::SetForTest(patient);
    camsim::CameraConfig large = FastCamera();
    large.faults.pictureSize = 10 * 1000 * 1000; // a 640x480 picture and zeros up to 10 MB
    camsim::CameraConfig ultraHd;
    ultraHd.fps = 2;
    ultraHd.width = 3840;
    ultraHd.height = 2160;
    const std::pair<camsim::CameraConfig, QString> cameras[] = {{large, "OnSize 640 480"},
                                                                {ultraHd, "OnSize 3840 2160"}};
    for (const auto& [config, size] : cameras) {
        SCOPED_TRACE(size.toStdString());
        InProcessCamsim camera(config);
        MakeControl();
        ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
        ASSERT_TRUE(events->WaitFor(size, 20000)) << events->Texts().join(", ").toStdString();
        EXPECT_TRUE(PumpUntil([&] { return PicturesDrawn() >= 2; }, 20000));
        ReleaseControl();
    }
}

} // namespace
