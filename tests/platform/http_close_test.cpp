// Closing a request from another thread while a call waits on it.

#include "platform/http/commandsender.h"
#include "platform/http/wininet.h"
#include "platform/kernel/lasterror.h"
#include "tests/platform/httpclient.h"
#include "tests/support/camsimfixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace {

using camsim::Faults;
using Clock = std::chrono::steady_clock;

constexpr auto kPromptly = std::chrono::milliseconds(100);

struct CallResult {
    bool ok = true;
    uint32_t error = 0;
    Clock::time_point returned;
};

// How far a reader has come: the bytes it has read, and whether it is inside a read.
struct ReadProgress {
    std::atomic<uint64_t> total{0};
    std::atomic<bool> reading{false};
};

// Reads in a loop until a read fails or the body ends, counting the bytes.
CallResult ReadUntilFailure(HINTERNET request, ReadProgress& progress) {
    char buffer[4096];
    CallResult result;
    std::atomic<uint64_t>& total = progress.total;
    for (;;) {
        uint32_t read = 0;
        progress.reading = true;
        result.ok = InternetReadFile(request, buffer, sizeof buffer, &read);
        progress.reading = false;
        if (!result.ok || read == 0)
            break;
        total += read;
    }
    result.error = GetLastError();
    result.returned = Clock::now();
    return result;
}

// Closes the request on this thread while another waits in a call on it.
void ExpectCancelledPromptly(ScopedHandle& request, std::future<CallResult>& call) {
    const auto closed = Clock::now();
    ASSERT_TRUE(InternetCloseHandle(request.Get()));
    request.Forget();
    ASSERT_EQ(call.wait_for(std::chrono::milliseconds(kCamsimWaitMs)), std::future_status::ready);
    const CallResult result = call.get();
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, ERROR_INTERNET_OPERATION_CANCELLED);
    EXPECT_LT(result.returned - closed, kPromptly);
}

TEST(HttpCloseTest, CloseFromAnotherThreadEndsABlockedReadPromptly) {
    InProcessCamsim camera(FastCamera());
    Faults faults;
    faults.stallAfter = 3;
    camera.Server().QueueFaults(faults);
    OpenedRequest opened(camera.Port(), "/vexo-cgi/mjpg/video.cgi");
    ASSERT_TRUE(opened.Send());

    ReadProgress progress;
    auto reader = std::async(std::launch::async, ReadUntilFailure, opened.request.Get(), std::ref(progress));
    // Once the reader has everything the stalled camera sent, its next read has to wait (on a busy
    // machine the reader may take a while to begin it).
    ASSERT_TRUE(WaitUntil([&] {
        const auto all = camera.Server().Requests().All();
        return !all.empty() && all[0].bodyBytes > 0 && progress.total == all[0].bodyBytes && progress.reading;
    }));
    ASSERT_EQ(reader.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout)
        << "the read is blocked";

    ExpectCancelledPromptly(opened.request, reader);
}

TEST(HttpCloseTest, CloseFromAnotherThreadEndsASendWaitingForTheHead) {
    InProcessCamsim camera;
    Faults faults;
    faults.delayMs = 60000;
    camera.Server().QueueFaults(faults);
    OpenedRequest opened(camera.Port(), "/vexo-cgi/mjpg/video.cgi");
    auto sender = std::async(std::launch::async, [&opened] {
        CallResult result;
        result.ok = opened.Send();
        result.error = GetLastError();
        result.returned = Clock::now();
        return result;
    });
    ASSERT_TRUE(
        camera.Server().Requests().WaitFor([](const auto& all) { return !all.empty(); }, kCamsimWaitMs));

    ExpectCancelledPromptly(opened.request, sender);
}

// A camera that took a command and never answers it still takes the next ones: while the command
// is young the next is dropped, once it is given up the next is sent.
TEST(HttpCloseTest, ACommandNeverAnsweredIsGivenUpForTheNext) {
    InProcessCamsim camera;
    Faults faults;
    faults.delayMs = 60000;
    camera.Server().QueueFaults(faults);
    CommandSender commands;
    ASSERT_EQ(commands.Open(u"test", "127.0.0.1", camera.Port(), {}, {}), CommandSender::OpenResult::Opened);
    const QString zoom = "/vexo-cgi/com/ptz.cgi?rzoom=100";
    ASSERT_EQ(commands.Send(zoom), CommandSender::SendResult::Sent);
    ASSERT_TRUE(
        camera.Server().Requests().WaitFor([](const auto& all) { return !all.empty(); }, kCamsimWaitMs));
    EXPECT_EQ(commands.Send(zoom), CommandSender::SendResult::Busy);
    std::this_thread::sleep_for(std::chrono::milliseconds(CommandSender::kGiveUpMs));
    EXPECT_EQ(commands.Send(zoom), CommandSender::SendResult::Sent);
    EXPECT_TRUE(
        camera.Server().Requests().WaitFor([](const auto& all) { return all.size() == 2; }, kCamsimWaitMs));
    EXPECT_TRUE(commands.Wait(kCamsimWaitMs));
}

// A command to the camera of an https stream goes over TLS, never in the clear.
TEST(HttpCloseTest, ASecureCommandIsNeverSentInTheClear) {
    camsim::CameraConfig ptz;
    ptz.ptz = true;
    InProcessCamsim camera(ptz); // it speaks no TLS: what it takes came in the clear
    CommandSender commands;
    ASSERT_EQ(commands.Open(u"test", "127.0.0.1", camera.Port(), {}, {}, true),
              CommandSender::OpenResult::Opened);
    ASSERT_EQ(commands.Send("/vexo-cgi/com/ptz.cgi?rzoom=100"), CommandSender::SendResult::Sent);
    std::this_thread::sleep_for(std::chrono::seconds(1)); // its handshake waits for an answer
    commands.Cancel();
    EXPECT_TRUE(commands.Wait(kCamsimWaitMs)); // its thread ends before the test's TLS library does
    EXPECT_TRUE(camera.Server().PtzCommands().empty());
}

TEST(HttpCloseTest, AClosedHandleIsDeadForEveryLaterCall) {
    InProcessCamsim camera;
    OpenedRequest opened(camera.Port(), "/vexo-cgi/view/param.cgi?action=list");
    ASSERT_TRUE(opened.Send());
    const HINTERNET request = opened.request.Get();
    ASSERT_TRUE(InternetCloseHandle(request));
    opened.request.Forget();

    char byte;
    uint32_t value = 0;
    uint32_t length = sizeof value;
    EXPECT_FALSE(InternetReadFile(request, &byte, 1, &value));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(
        HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &value, &length, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(InternetCloseHandle(request));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    // A new handle never takes the number of a closed one.
    ScopedHandle again(opened.OpenAnother("/"));
    EXPECT_NE(again.Get(), request);
}

TEST(HttpCloseTest, ClosingTheConnectionAndSessionLeavesAnOpenRequestWorking) {
    InProcessCamsim camera(FastCamera());
    OpenedRequest opened(camera.Port(), "/vexo-cgi/mjpg/video.cgi");
    opened.connection.Close();
    opened.session.Close();
    ASSERT_TRUE(opened.Send());
    char bytes[64];
    uint32_t read = 0;
    EXPECT_TRUE(InternetReadFile(opened.request.Get(), bytes, sizeof bytes, &read));
    EXPECT_GT(read, 0u);
}

TEST(HttpCloseTest, ClosingWhileAnotherThreadReadsAFastStreamIsSafeAtAnyMoment) {
    InProcessCamsim camera(FastCamera());
    for (int round = 0; round < 20; ++round) {
        OpenedRequest opened(camera.Port(), "/vexo-cgi/mjpg/video.cgi?resolution=160x120");
        ASSERT_TRUE(opened.Send());
        ReadProgress progress;
        std::atomic<uint64_t>& total = progress.total;
        auto reader =
            std::async(std::launch::async, ReadUntilFailure, opened.request.Get(), std::ref(progress));
        // Close at a different point of the reading each round.
        const uint64_t closeAt = static_cast<uint64_t>(round) * 20000;
        WaitUntil([&] {
            return total >= closeAt || reader.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
        });
        opened.request.Close();
        ASSERT_EQ(reader.wait_for(std::chrono::milliseconds(kCamsimWaitMs)), std::future_status::ready);
        EXPECT_FALSE(reader.get().ok);
    }
}

} // namespace
