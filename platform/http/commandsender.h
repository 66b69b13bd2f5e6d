#pragma once
// Camera commands (PTZ zoom, focus, tap-to-centre): each one GET to the camera, sent on a
// thread of its own whose answer is not read, one at a time. A send that hangs can be cut off;
// whoever waits for one waits with a bound. A command the camera has not answered for
// kGiveUpMs is given up when the next one comes, so that a camera that once took a command and
// never answered still takes the ones that follow.
//
// Threads: Open, Send and Close come from one thread (the owner's); Wait and Cancel from any.
// The fields are guarded by `lock`, which is never held while a request is opened, a command
// sent or a thread joined. The command thread holds only the request in flight (shared with
// this object), so it may outlive its sender when a wait gives it up.

#include "platform/http/wininet.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

class CommandSender {
  public:
    enum class OpenResult { Opened, NoInternet, NoConnection };
    enum class SendResult { Sent, NotOpen, Busy, RequestFailed, ThreadFailed };
    static constexpr uint32_t kGiveUpMs = 5000;

    CommandSender() = default;
    ~CommandSender();
    CommandSender(const CommandSender&) = delete;
    CommandSender& operator=(const CommandSender&) = delete;

    // Where commands go; an empty user name or password is none, and secure sends them over TLS
    // (a camera of an https stream). Closes what was open first.
    OpenResult Open(const char16_t* agent, const QString& host, uint16_t port, const QString& user,
                    const QString& password, bool secure = false);
    bool IsOpen() const;
    // A command is being sent: another one would be dropped, unless this one is given up.
    bool Sending() const;
    // Starts sending the command (a path with its query) unless one is still being sent.
    SendResult Send(const QString& path);
    // Ends a send in flight now: it fails at once.
    void Cancel();
    // Waits up to timeoutMs for the command in flight to end. False when it has not: the thread
    // is then given up (Cancel still reaches its request).
    bool Wait(uint32_t timeoutMs);
    // Closes the connection; a command is no longer sent until the next Open. Cancel or Wait
    // first: a thread still running is given up.
    void Close();

  private:
    struct Flight;

    mutable std::mutex lock;
    HINTERNET internet = nullptr;   // guarded by lock
    HINTERNET connection = nullptr; // guarded by lock
    uint32_t requestFlags = 0;      // guarded by lock
    std::thread thread;             // guarded by lock: the command thread, until joined or given up
    std::shared_ptr<Flight> flight; // guarded by lock: the command sent last
};
