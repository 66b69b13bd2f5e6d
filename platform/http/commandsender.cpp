#include "platform/http/commandsender.h"

#include "platform/http/widetext.h"
#include "platform/kernel/event.h"

#include <chrono>
#include <system_error>
#include <utility>

namespace {

constexpr uint32_t kGiveUpWaitMs = 200; // for the thread of a command given up, once its send is cut off

} // namespace

// The request of a command, shared by the sender and the command thread; closed exactly once,
// by whoever takes it first, so that closing it from outside also ends a send that hangs.
struct CommandSender::Flight {
    std::mutex lock;
    HINTERNET request = nullptr; // guarded by lock
    ManualResetEvent done{false};
    const std::chrono::steady_clock::time_point sentAt = std::chrono::steady_clock::now();

    bool Stale() const {
        return std::chrono::steady_clock::now() - sentAt >= std::chrono::milliseconds(kGiveUpMs);
    }

    void Close() {
        HINTERNET taken;
        {
            std::lock_guard<std::mutex> guard(lock);
            taken = std::exchange(request, nullptr);
        }
        if (taken)
            InternetCloseHandle(taken);
    }
};

CommandSender::~CommandSender() {
    Cancel();
    Close();
}

CommandSender::OpenResult CommandSender::Open(const char16_t* agent, const QString& host, uint16_t port,
                                              const QString& user, const QString& password, bool secure) {
    Close();
    HINTERNET newInternet = InternetOpenW(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!newInternet)
        return OpenResult::NoInternet;
    HINTERNET newConnection =
        InternetConnectW(newInternet, reinterpret_cast<const char16_t*>(host.utf16()), port, WideOrNull(user),
                         WideOrNull(password), INTERNET_SERVICE_HTTP, 0, 0);
    if (!newConnection) {
        InternetCloseHandle(newInternet);
        return OpenResult::NoConnection;
    }
    std::lock_guard<std::mutex> guard(lock);
    internet = newInternet;
    connection = newConnection;
    requestFlags = kRequestFlags | (secure ? INTERNET_FLAG_SECURE : 0);
    return OpenResult::Opened;
}

bool CommandSender::IsOpen() const {
    std::lock_guard<std::mutex> guard(lock);
    return connection != nullptr;
}

bool CommandSender::Sending() const {
    std::lock_guard<std::mutex> guard(lock);
    return thread.joinable() && !flight->done.IsSet();
}

CommandSender::SendResult CommandSender::Send(const QString& path) {
    HINTERNET target;
    uint32_t flags;
    std::thread ended;
    std::shared_ptr<Flight> stale;
    {
        std::lock_guard<std::mutex> guard(lock);
        target = connection;
        flags = requestFlags;
        if (!target)
            return SendResult::NotOpen;
        const bool inFlight = thread.joinable() && !flight->done.IsSet();
        if (inFlight && !flight->Stale())
            return SendResult::Busy;
        if (inFlight)
            stale = flight;
        ended = std::move(thread);
    }
    if (stale) {
        stale->Close(); // its send fails now
        if (!stale->done.Wait(kGiveUpWaitMs))
            ended.detach(); // it holds only its request and its event
    }
    if (ended.joinable())
        ended.join(); // it has ended
    // A connection closed meanwhile is a handle that is no longer open: the request fails.
    HINTERNET opened = HttpOpenRequestW(target, nullptr, reinterpret_cast<const char16_t*>(path.utf16()),
                                        nullptr, nullptr, nullptr, flags, 0);
    if (!opened)
        return SendResult::RequestFailed;
    auto sent = std::make_shared<Flight>();
    sent->request = opened;
    std::thread started;
    try {
        started = std::thread([sent, opened] {
            HttpSendRequestW(opened, nullptr, 0, nullptr, 0); // the answer is not read
            sent->Close();
            sent->done.Set();
        });
    } catch (const std::system_error&) {
        sent->Close();
        return SendResult::ThreadFailed;
    }
    std::lock_guard<std::mutex> guard(lock);
    thread = std::move(started);
    flight = std::move(sent);
    return SendResult::Sent;
}

void CommandSender::Cancel() {
    std::shared_ptr<Flight> current;
    {
        std::lock_guard<std::mutex> guard(lock);
        current = flight;
    }
    if (current)
        current->Close();
}

bool CommandSender::Wait(uint32_t timeoutMs) {
    std::thread running;
    std::shared_ptr<Flight> current;
    {
        std::lock_guard<std::mutex> guard(lock);
        running = std::move(thread);
        current = flight;
    }
    if (!running.joinable())
        return true;
    if (current->done.Wait(timeoutMs)) {
        running.join();
        return true;
    }
    running.detach(); // it holds only its request and its event
    return false;
}

void CommandSender::Close() {
    std::thread running;
    HINTERNET oldConnection;
    HINTERNET oldInternet;
    {
        std::lock_guard<std::mutex> guard(lock);
        running = std::move(thread);
        oldConnection = std::exchange(connection, nullptr);
        oldInternet = std::exchange(internet, nullptr);
    }
    if (running.joinable())
        running.detach();
    if (oldConnection)
        InternetCloseHandle(oldConnection);
    if (oldInternet)
        InternetCloseHandle(oldInternet);
}
