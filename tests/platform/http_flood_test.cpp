// A stream that pours in faster than anyone could watch it: the reading thread takes it in
// batches, and no byte waits when the pouring stops.

#include "platform/http/receivebatching.h"
#include "platform/http/wininet.h"
#include "tests/platform/httpclient.h"
#include "tools/camsim/listener.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr size_t kFlood = 16 * 1024 * 1024;

int Mark(int fd) {
    int bytes = 0;
    socklen_t size = sizeof bytes;
    getsockopt(fd, SOL_SOCKET, SO_RCVLOWAT, &bytes, &size);
    return bytes;
}

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>('a' + (i * 7 + i / 4099) % 26);
    return bytes;
}

TEST(ReceiveBatchingTest, OnlyAFloodRaisesTheMarkAndAWaitWithoutABatchEndsIt) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    ReceiveBatching batching;
    // A camera at 25 pictures/s, however large its pictures, is read as it comes.
    auto now = Clock::now();
    for (int i = 0; i < 50; ++i, now += milliseconds(40))
        batching.Arrived(400 * 1024, now);
    EXPECT_FALSE(batching.Flooding());
    EXPECT_EQ(batching.BeforeWait(pair[0], 1000), 1000);
    EXPECT_EQ(Mark(pair[0]), 1);

    for (size_t got = 0; got < ReceiveBatching::kFloodBytes; got += 16 * 1024)
        batching.Arrived(16 * 1024, now);
    ASSERT_TRUE(batching.Flooding());
    EXPECT_EQ(batching.BeforeWait(pair[0], 1000), ReceiveBatching::kMaxHoldMs);
    EXPECT_EQ(Mark(pair[0]), static_cast<int>(ReceiveBatching::kBatchBytes));
    batching.AfterWait(true); // a batch came: the flood goes on
    EXPECT_EQ(Mark(pair[0]), static_cast<int>(ReceiveBatching::kBatchBytes));
    batching.AfterWait(false);
    EXPECT_FALSE(batching.Flooding());
    EXPECT_EQ(Mark(pair[0]), 1);

    // At the end a kept socket gets its mark back; a closed one's number is left alone, as it
    // may already be another socket's.
    for (const bool kept : {true, false}) {
        for (size_t got = 0; got < ReceiveBatching::kFloodBytes; got += 16 * 1024)
            batching.Arrived(16 * 1024, now);
        batching.BeforeWait(pair[0], 1000);
        batching.Ended(kept ? pair[0] : CURL_SOCKET_BAD);
        EXPECT_EQ(Mark(pair[0]), kept ? 1 : static_cast<int>(ReceiveBatching::kBatchBytes));
        EXPECT_FALSE(batching.Flooding());
    }
    close(pair[0]);
    close(pair[1]);
}

// A server on loopback that serves each connection with the test's script.
class ScriptedServer {
  public:
    using Script = std::function<void(camsim::Socket&)>;
    explicit ScriptedServer(Script script) : listener(std::move(script)) {
        std::string error;
        EXPECT_TRUE(listener.Start(0, error)) << error;
    }
    uint16_t Port() const { return listener.Port(); }

  private:
    camsim::Listener listener;
};

bool TakeRequest(camsim::Socket& socket) {
    std::string request;
    while (request.find("\r\n\r\n") == std::string::npos)
        if (socket.Receive(request, 5000) != camsim::Socket::Wait::Data)
            return false;
    return true;
}

TEST(HttpFloodTest, TheLastBytesOfAFloodArriveAtOnceWhenThePouringStops) {
    const std::string flood = Pattern(kFlood);
    std::atomic<Clock::rep> lastSent{0};
    ScriptedServer server([&](camsim::Socket& socket) {
        if (!TakeRequest(socket) ||
            !socket.Send("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n\r\n") ||
            !socket.Send(flood))
            return;
        socket.Pause(50);
        lastSent = Clock::now().time_since_epoch().count();
        if (socket.Send("the end, well under a batch"))
            socket.WaitUntilGone();
    });
    OpenedRequest opened(server.Port(), "/flood");
    uint32_t timeout = 3000; // a byte held for ever fails the read instead of hanging the test
    ASSERT_TRUE(
        InternetSetOptionW(opened.request.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout));
    ASSERT_TRUE(opened.Send());
    const std::string expected = flood + "the end, well under a batch";
    std::string body;
    std::vector<char> buffer(100 * 1024);
    while (body.size() < expected.size()) {
        uint32_t read = 0;
        ASSERT_TRUE(InternetReadFile(opened.request.Get(), buffer.data(),
                                     static_cast<uint32_t>(buffer.size()), &read))
            << "after " << body.size() << " bytes";
        body.append(buffer.data(), read);
    }
    const auto held = Clock::now() - Clock::time_point(Clock::duration(lastSent.load()));
    EXPECT_TRUE(body == expected);
    EXPECT_LT(held, milliseconds(500));
}

TEST(HttpFloodTest, AConnectionKeptAfterAFloodAnswersTheNextRequestAtOnce) {
    const std::string flood = Pattern(kFlood);
    std::atomic<int> connections{0};
    ScriptedServer server([&](camsim::Socket& socket) {
        ++connections;
        if (!TakeRequest(socket) || !socket.Send("HTTP/1.1 200 OK\r\nContent-Length: " +
                                                 std::to_string(flood.size()) + "\r\n\r\n" + flood))
            return;
        if (TakeRequest(socket) && socket.Send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"))
            socket.WaitUntilGone();
    });
    OpenedRequest opened(server.Port(), "/flood");
    ASSERT_TRUE(opened.Send());
    std::string body;
    ASSERT_TRUE(ReadBody(
        opened.request.Get(), [](int) { return 100u * 1024; }, body));
    EXPECT_TRUE(body == flood);
    opened.request.Close();

    const auto start = Clock::now();
    ScopedHandle second(opened.OpenAnother("/small"));
    ASSERT_TRUE(HttpSendRequestW(second.Get(), nullptr, 0, nullptr, 0));
    std::string small;
    ASSERT_TRUE(ReadBody(
        second.Get(), [](int) { return 100u; }, small));
    EXPECT_EQ(small, "ok");
    EXPECT_LT(Clock::now() - start, milliseconds(500));
    EXPECT_EQ(connections.load(), 1);
}

} // namespace
