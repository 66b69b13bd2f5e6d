// A stream that pours in faster than anyone could watch it: the reading thread takes it in
// batches, and no byte waits when the pouring stops.

#include "platform/http/receivebatching.h"
#include "platform/http/wininet.h"
#include "tests/platform/httpclient.h"
#include "tools/camsim/listener.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

int Mark(int fd) {
    int bytes = 0;
    socklen_t size = sizeof bytes;
    getsockopt(fd, SOL_SOCKET, SO_RCVLOWAT, &bytes, &size);
    return bytes;
}

TEST(ReceiveBatchingTest, OnlyAFloodRaisesTheMarkAndAWaitWithoutABatchLowersIt) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    const int batch = static_cast<int>(ReceiveBatching::kBatchBytes);
    ReceiveBatching batching;
    auto now = Clock::now();
    for (int i = 0; i < 50; ++i, now += std::chrono::milliseconds(40))
        batching.Arrived(400 * 1024, now); // 25 large pictures a second are read as they come
    EXPECT_EQ(batching.BeforeWait(pair[0], 1000), 1000);
    EXPECT_EQ(Mark(pair[0]), 1);
    // A wait that ends without a batch ends the flood, and what has come is read at once.
    batching.Arrived(ReceiveBatching::kFloodBytes, now);
    EXPECT_EQ(batching.BeforeWait(pair[0], 1000), ReceiveBatching::kMaxHoldMs);
    batching.AfterWait(true);
    EXPECT_EQ(Mark(pair[0]), batch);
    batching.AfterWait(false);
    EXPECT_EQ(Mark(pair[0]), 1);
    EXPECT_FALSE(batching.Flooding());
    // At the end a kept socket gets its mark back; a closed socket's number may already be
    // another socket's, and is left alone.
    for (const bool kept : {true, false}) {
        batching.Arrived(ReceiveBatching::kFloodBytes, now);
        batching.BeforeWait(pair[0], 1000);
        EXPECT_EQ(Mark(pair[0]), batch);
        batching.Ended(kept ? pair[0] : CURL_SOCKET_BAD);
        EXPECT_EQ(Mark(pair[0]), kept ? 1 : batch);
    }
    close(pair[0]);
    close(pair[1]);
}

// On an idle machine loopback pours far faster than a flood; on a busy one the stream may be read
// as it comes, and the bytes must arrive the same.
TEST(HttpFloodTest, TheLastBytesOfAFloodArriveAtOnceWhenThePouringStops) {
    std::string flood(16 * 1024 * 1024, '\0');
    for (size_t i = 0; i < flood.size(); ++i)
        flood[i] = static_cast<char>('a' + i % 23);
    const std::string tail = "the end, well under a batch";
    std::atomic<Clock::rep> tailSent{0};
    camsim::Listener server([&](camsim::Socket& socket) {
        std::string request;
        while (request.find("\r\n\r\n") == std::string::npos)
            if (socket.Receive(request, 5000) != camsim::Socket::Wait::Data)
                return;
        if (!socket.Send("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n\r\n" + flood) ||
            !socket.Pause(50))
            return;
        tailSent = Clock::now().time_since_epoch().count();
        if (socket.Send(tail))
            socket.WaitUntilGone(); // the connection stays open: only the batch's time limit helps
    });
    std::string error;
    ASSERT_TRUE(server.Start(0, error)) << error;
    OpenedRequest opened(server.Port(), "/flood");
    uint32_t timeout = 3000; // a byte held for ever fails the read instead of hanging the test
    ASSERT_TRUE(InternetSetOptionW(opened.request.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, 4));
    ASSERT_TRUE(opened.Send());
    // Read straight into place, so the reading keeps up with loopback's pouring.
    std::string body(flood.size() + tail.size(), '\0');
    for (size_t got = 0; got < body.size();) {
        uint32_t read = 0;
        const auto room = static_cast<uint32_t>(std::min<size_t>(body.size() - got, 1 << 20));
        ASSERT_TRUE(InternetReadFile(opened.request.Get(), body.data() + got, room, &read) && read > 0)
            << got;
        got += read;
    }
    EXPECT_LT(Clock::now() - Clock::time_point(Clock::duration(tailSent.load())),
              std::chrono::milliseconds(500));
    EXPECT_TRUE(body == flood + tail);
}

} // namespace
