#include "control/streamsession.h"

#include "control/cameracommand.h"
#include "control/imagereader.h"
#include "control/jpegsize.h"
#include "control/streamtimings.h"

#include "foundation/log.h"
#include "platform/kernel/lasterror.h"
#include "platform/kernel/tick.h"

#include <algorithm>
#include <chrono>
#include <system_error>

namespace {

constexpr char16_t kAgent[] = u"CamImgCE";
constexpr uint32_t kStatusQuery = HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER; // 0x20000013

const char16_t* WideOrNull(const QString& text) {
    return text.isEmpty() ? nullptr : reinterpret_cast<const char16_t*>(text.utf16());
}

// A picture size in one word: the width in the high half, the height in the low half.
uint32_t PackSize(int width, int height) {
    return (static_cast<uint32_t>(static_cast<uint16_t>(width)) << 16) | static_cast<uint16_t>(height);
}

HINTERNET TakeHandle(HINTERNET& handle) {
    HINTERNET taken = handle;
    handle = nullptr;
    return taken;
}

} // namespace

StreamSession::StreamSession(SessionHost* host) : host(host) {}

StreamSession::~StreamSession() {
    // Threads hold the session while they run, so the only thread objects left here belong to
    // threads that have ended (or end right after releasing the session).
    if (readThread.thread.joinable())
        readThread.thread.detach();
}

StreamSession::OwnedThread StreamSession::Take(OwnedThread& thread) {
    std::lock_guard<std::mutex> guard(threadLock);
    OwnedThread taken = std::move(thread);
    thread = OwnedThread();
    return taken;
}

template <typename Call> void StreamSession::WithHost(Call call) {
    SessionHost* current;
    {
        std::lock_guard<std::mutex> guard(hostLock);
        current = host;
        if (!current)
            return;
        hostCallers.push_back(std::this_thread::get_id());
    }
    call(*current);
    {
        std::lock_guard<std::mutex> guard(hostLock);
        hostCallers.erase(std::find(hostCallers.begin(), hostCallers.end(), std::this_thread::get_id()));
    }
    hostCallEnded.notify_all();
}

void StreamSession::DetachHost() {
    std::unique_lock<std::mutex> guard(hostLock);
    host = nullptr;
    // A call made on this thread (the host going away from inside one of its own events) has
    // not ended yet and is not waited for.
    const std::thread::id self = std::this_thread::get_id();
    const auto othersEnded = [&] {
        return std::all_of(hostCallers.begin(), hostCallers.end(),
                           [&](std::thread::id id) { return id == self; });
    };
    const bool ended = hostCallEnded.wait_for(
        guard, std::chrono::milliseconds(StreamTimings::Current().stopWaitMs), othersEnded);
    guard.unlock();
    if (!ended)
        LogWarning(u"CCamImage::DetachHost", "Wait timeout");
}

void StreamSession::SetFps(float value) {
    fps = value;
}

bool StreamSession::HasRequest() const {
    return CurrentRequest() != nullptr;
}

HINTERNET StreamSession::CurrentRequest() const {
    std::lock_guard<std::mutex> guard(handleLock);
    return request;
}

template <typename Call> void StreamSession::FireIfCurrent(uint64_t generation, Call call) {
    if (IsCurrent(generation))
        WithHost(call);
}

bool StreamSession::OnReadThread() const {
    return std::this_thread::get_id() == readThreadId.load();
}

bool StreamSession::OpenURL(const QString& url, const QString& user, const QString& password) {
    LogTrace(u"CCamImage::OpenURL", "Open url '%S'", Wide(url));
    const uint64_t generation = ++currentGeneration; // a read thread still ending is now stale
    pictureSize = 0;
    announcedWidth = announcedHeight = 0;
    awaitedSize = 0;
    stopping = false;
    imageReady = false;
    {
        // A picture of the last stream that was not drawn is not this stream's.
        std::lock_guard<std::mutex> guard(frameLock);
        incoming.Clear();
        pictureWaiting = false;
        storedPictures = takenPicture = finishedPicture = 0;
    }
    arrivalPosted = false;

    bool ok = false;
    HINTERNET newInternet = InternetOpenW(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET newConnection = nullptr;
    HINTERNET newRequest = nullptr;
    if (!newInternet) {
        LogError(u"CCamImage::OpenURL", "InternetOpen failed");
    } else {
        LogTrace(u"CCamImage::OpenConnection", "Open '%S'", Wide(url));
        CrackedUrl parts;
        if (!url.isEmpty() && InternetCrackUrlW(reinterpret_cast<const char16_t*>(url.utf16()), parts)) {
            // The connection is an HTTP one either way; https is a flag of the request.
            newConnection = InternetConnectW(newInternet, parts.host.c_str(), parts.port, WideOrNull(user),
                                             WideOrNull(password), INTERNET_SERVICE_HTTP, 0, 0);
            LogTrace(u"CCamImage::OpenConnection", "OpenConnection end");
            if (newConnection)
                commands.Open(kAgent, QString::fromStdU16String(parts.host), parts.port, user, password);
        }
        if (newConnection) {
            const uint32_t flags =
                kRequestFlags | (parts.scheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);
            newRequest = HttpOpenRequestW(newConnection, nullptr, parts.path.c_str(), nullptr, nullptr,
                                          nullptr, flags, 0);
            if (!newRequest) {
                LogError(u"CCamImage::OpenURL", "HttpOpenRequest failed");
            } else {
                ok = true;
            }
        } else {
            LogError(u"CCamImage::OpenURL", "Openconnect failed");
        }
    }
    {
        std::lock_guard<std::mutex> guard(handleLock);
        internet = newInternet;
        connection = newConnection;
        request = newRequest;
    }
    if (!ok) {
        Stop();
        WithHost([](SessionHost& h) { h.FireOnConnectionFailed(0); });
        return false;
    }

    frameArrived = false;
    timeoutRunning = false;
    requestClosed.Reset();
    WaitForThread(Take(readThread)); // the tail of the last stream, if it is still ending

    auto self = shared_from_this();
    auto done = std::make_shared<ManualResetEvent>(false);
    std::unique_lock<std::mutex> guard(threadLock);
    try {
        readThread.thread = std::thread([self, done, generation] {
            self->readThreadId = std::this_thread::get_id(); // before it can call Stop
            self->ReadThread(generation);
            done->Set();
        });
    } catch (const std::system_error&) {
        guard.unlock();
        LogError(u"CCamImage::OpenURL", "Failed to start the read thread");
        Stop();
        WithHost([](SessionHost& h) { h.FireOnConnectionFailed(0); });
        return false;
    }
    readThread.done = done;
    return true;
}

void StreamSession::WaitForThread(OwnedThread owned) {
    if (!owned.thread.joinable())
        return;
    if (owned.done->Wait(StreamTimings::Current().stopWaitMs)) {
        owned.thread.join();
    } else {
        LogWarning(u"CCamImage::Stop", "Wait timeout");
        owned.thread.detach(); // it holds the session and ends on its own
    }
}

void StreamSession::Stop() {
    LogTrace(u"CCamImage::Stop", "begin");
    bool expected = false;
    if (!stopping.compare_exchange_strong(expected, true)) {
        LogTrace(u"CCamImage::Stop", "Stop alrady in progress");
        // A caller other than the read thread waits for the running stop, so that it never opens
        // a new stream whose handles the other stop would then close.
        if (!OnReadThread()) {
            const uint32_t start = GetTickCount();
            while (stopping && GetTickCount() - start < StreamTimings::Current().stopWaitMs)
                Sleep(1);
            // The read thread stopped itself and is firing its last events: they come before
            // this call returns, as they do when this call does the stopping.
            WaitForThread(Take(readThread));
        }
        return;
    }
    StopTimers();

    HINTERNET closing;
    {
        std::lock_guard<std::mutex> guard(handleLock);
        closing = TakeHandle(request);
    }
    if (closing)
        InternetCloseHandle(closing); // a blocked read on the read thread fails now
    requestClosed.Set();
    {
        std::lock_guard<std::mutex> guard(frameLock); // a read thread waiting for the display wakes
    }
    pictureFinished.notify_all();

    if (!OnReadThread())
        WaitForThread(Take(readThread));
    // A camera command being sent (a tap just before leaving the camera) is let finish; only one
    // that is still being sent when the wait is over is cut off.
    if (!commands.Wait(StreamTimings::Current().stopWaitMs)) {
        LogWarning(u"CCamImage::Stop", "Wait timeout");
        commands.Cancel(); // its send fails at once
    }
    commands.Close();
    HINTERNET oldConnection;
    HINTERNET oldInternet;
    {
        std::lock_guard<std::mutex> guard(handleLock);
        oldConnection = TakeHandle(connection);
        oldInternet = TakeHandle(internet);
    }
    if (oldConnection)
        InternetCloseHandle(oldConnection);
    if (oldInternet)
        InternetCloseHandle(oldInternet);
    LogTrace(u"CCamImage::Stop", "end");
    stopping = false;
}

uint32_t StreamSession::RepaintPeriod() const {
    const float rate = fps;
    if (!(rate > 0.0f))
        return 0;
    const float period = (1.0f / rate) * 1000.0f;
    return period < 1.0f ? 1u : period > 3600000.0f ? 3600000u : static_cast<uint32_t>(period);
}

void StreamSession::StartTimers() {
    if (stopping || !HasRequest())
        return;
    // The repaint timer runs only when a new picture has to wait for its turn.
    const uint32_t check = StreamTimings::Current().pictureCheckMs;
    WithHost([check](SessionHost& h) { h.SetWindowTimer(kPictureTimeoutTimer, check); });
    timersRunning = true;
    if (stopping || !HasRequest())
        StopTimers(); // a stop ran meanwhile
}

void StreamSession::StopTimers() {
    if (timersRunning.exchange(false)) {
        repaintDeferred = false;
        WithHost([](SessionHost& h) {
            h.KillWindowTimer(kRepaintTimer);
            h.KillWindowTimer(kPictureTimeoutTimer);
        });
    }
}

void StreamSession::OnTimer(int id) {
    switch (id) {
    case kRepaintTimer:
        RepaintForNewPicture(true);
        break;
    case kPictureTimeoutTimer:
        if (frameArrived) {
            frameArrived = false;
            timeoutRunning = false;
        } else if (!timeoutRunning) {
            timeoutRunning = true;
            timeoutStart = GetTickCount();
        } else if (GetTickCount() - timeoutStart > StreamTimings::Current().pictureTimeoutMs) {
            LogTrace(u"CCamImage::OnTimer", "Img Timeout");
            Stop();
            frameArrived = true;
            timeoutRunning = false;
        }
        break;
    case kConnectionTimeoutTimer:
        WithHost([](SessionHost& h) { h.KillWindowTimer(kConnectionTimeoutTimer); });
        Stop();
        break;
    default:
        break;
    }
}

bool StreamSession::SendRequest(int& status) {
    LogTrace(u"CCamImage::SendRequest", "begin");
    status = 0;
    const uint32_t start = GetTickCount();
    const StreamTimings& timings = StreamTimings::Current();
    for (HINTERNET current = CurrentRequest(); current; current = CurrentRequest()) {
        if (GetTickCount() - start > timings.connectionTimeoutMs) {
            LogError(u"CCamImage::SendRequest", "Network Request error timout");
            status = 4;
            return false;
        }
        if (HttpSendRequestW(current, nullptr, 0, nullptr, 0)) {
            LogTrace(u"CCamImage::SendRequest", "Request done");
            break;
        }
        const uint32_t error = GetLastError();
        if (error != ERROR_INTERNET_CANNOT_CONNECT) {
            LogTrace(u"CCamImage::SendRequest", "Request error %d", static_cast<int>(error));
            status = 0;
            return false;
        }
        requestClosed.Wait(timings.retryDelayMs); // a stop ends the wait at once
    }
    status = 0;
    uint32_t code = 0;
    uint32_t size = sizeof(code);
    if (HINTERNET current = CurrentRequest()) {
        if (HttpQueryInfoW(current, kStatusQuery, &code, &size, nullptr))
            status = static_cast<int>(code);
    }
    if (status == 200)
        return true;
    LogError(u"CCamImage::SendRequest", "HttpQueryInfo failed status %d", status);
    return false;
}

void StreamSession::RepaintForNewPicture(bool timerTick) {
    if (timerTick) {
        repaintDeferred = false;
        WithHost([](SessionHost& h) { h.KillWindowTimer(kRepaintTimer); });
    }
    const uint32_t period = RepaintPeriod();
    if (period == 0 || !pictureWaiting || repaintPending)
        return;
    const uint32_t now = GetTickCount();
    const uint32_t wait = pacer.Wait(now, period);
    if (!timerTick && wait > 0 && timersRunning) {
        if (!repaintDeferred) {
            repaintDeferred = true; // drawn when its turn comes
            WithHost([wait](SessionHost& h) { h.SetWindowTimer(kRepaintTimer, wait); });
        }
        return;
    }
    repaintPending = true;
    pacer.Painted(now, period);
    WithHost([](SessionHost& h) { h.RequestRepaint(); });
}

void StreamSession::OnPictureArrived() {
    arrivalPosted = false; // before looking, so that a picture stored meanwhile posts again
    RepaintForNewPicture(false);
}

uint64_t StreamSession::StoreFrame(const uint8_t* bytes, uint32_t n) {
    uint64_t number = 0;
    {
        std::lock_guard<std::mutex> guard(frameLock);
        incoming.Clear();
        incoming.Append(bytes, n);
        pictureWaiting = true;
        number = ++storedPictures;
    }
    if (!arrivalPosted.exchange(true))
        WithHost([](SessionHost& h) { h.PostPictureArrived(); });
    return number;
}

bool StreamSession::TakeFrame(FrameBuffer& work) {
    std::lock_guard<std::mutex> guard(frameLock);
    if (incoming.Size() == 0)
        return false;
    work.Swap(incoming);
    incoming.Clear();
    pictureWaiting = false;
    takenPicture = storedPictures;
    stats.AddUsed();
    return true;
}

void StreamSession::PictureConverted(bool converted, int width, int height) {
    if (converted) {
        pictureSize = PackSize(width, height);
        imageReady = true;
    }
    {
        std::lock_guard<std::mutex> guard(frameLock);
        finishedPicture = takenPicture;
    }
    pictureFinished.notify_all();
}

void StreamSession::WaitForNewSize(const uint8_t* bytes, uint32_t n, uint64_t number) {
    int width = 0;
    int height = 0;
    // Without repaints (FPS 0) no conversion is coming; the size is told after one that comes.
    if (RepaintPeriod() == 0 || !ReadJpegSize(bytes, n, width, height))
        return;
    const uint32_t size = PackSize(width, height);
    if (size == PackSize(announcedWidth, announcedHeight) || size == awaitedSize)
        return;
    awaitedSize = size; // a picture of that size that does not convert is waited for once
    std::unique_lock<std::mutex> guard(frameLock);
    pictureFinished.wait_for(guard, std::chrono::milliseconds(StreamTimings::Current().displayWaitMs),
                             [&] { return finishedPicture >= number || stopping; });
}

void StreamSession::ReadThread(uint64_t generation) {
    LogTrace(u"CCamImage::ReadThread", "Begin");
    int status = 0;
    {
        std::lock_guard<std::mutex> guard(frameLock);
        incoming.Clear();
    }
    repaintPending = false;

    const uint32_t connectionTimeout = StreamTimings::Current().connectionTimeoutMs;
    WithHost([connectionTimeout](SessionHost& h) {
        h.SetWindowTimer(kConnectionTimeoutTimer, connectionTimeout);
    });
    const bool sent = SendRequest(status);
    WithHost([](SessionHost& h) { h.KillWindowTimer(kConnectionTimeoutTimer); });
    if (!sent) {
        LogError(u"CCamImage::ReadThread", "SendRequest failed");
        if (IsCurrent(generation))
            Stop();
        FireIfCurrent(generation, [status](SessionHost& h) { h.FireOnConnectionFailed(status); });
        return;
    }

    ImageReader reader;
    if (!reader.InitStream(CurrentRequest())) {
        LogError(u"CCamImage::ReadThread", "anImgReader.InitStream failed");
        if (IsCurrent(generation))
            Stop();
        FireIfCurrent(generation, [](SessionHost& h) { h.FireOnConnectionFailed(4); });
        return;
    }
    if (IsCurrent(generation))
        StartTimers();
    stats.Start();
    imageReady = false;
    bool first = false;
    uint32_t lastYield = 0;

    const uint8_t* picture = nullptr;
    uint32_t length = 0;
    while (reader.Read(picture, length)) {
        if (!first) {
            LogTrace(u"CCamImage::ReadThread", "bFiredOnStreamStarted %d, %d", 0, 0);
            FireIfCurrent(generation, [](SessionHost& h) { h.FireOnStreamStarted(); });
            first = true;
        }
        const uint64_t number = StoreFrame(picture, length);
        frameArrived = true;
        ++picturesRead;
        bytesRead += length;
        stats.AddImage(static_cast<int>(length) + 65, static_cast<int>(length));
        stats.Report();
        if (IsCurrent(generation))
            WaitForNewSize(picture, length, number);
        const uint32_t size = pictureSize;
        const auto width = static_cast<int16_t>(size >> 16);
        const auto height = static_cast<int16_t>(size & 0xFFFF);
        if (imageReady && (width != announcedWidth || height != announcedHeight)) {
            announcedWidth = width;
            announcedHeight = height;
            LogTrace(u"CCamImage::ReadThread", "Fire_OnSize %d, %d", width, height);
            FireIfCurrent(generation, [width, height](SessionHost& h) { h.FireOnSize(width, height); });
        }
        if (GetTickCount() - lastYield > 1000) {
            Sleep(1);
            lastYield = GetTickCount();
        }
    }
    LogTrace(u"CCamImage::ReadThread", "anImgReader.Read failed");
    if (first) {
        FireIfCurrent(generation, [](SessionHost& h) { h.FireOnConnectionBroken(2); });
        if (IsCurrent(generation))
            Stop();
    } else {
        LogTrace(u"CCamImage::ReadThread", "Failed on first image");
        FireIfCurrent(generation, [](SessionHost& h) { h.FireOnConnectionFailed(5); });
    }
    imageReady = false;
    FireIfCurrent(generation, [](SessionHost& h) { h.FireOnStreamStopped(); });
}

void StreamSession::SendCameraCommand(int x, int y, int width, int height, int rotate,
                                      const QString& ptzTemplate) {
    if (ptzTemplate.isEmpty())
        return;
    QString command;
    if (!FormatCameraCommand(ptzTemplate, MapTap(x, y, width, height, rotate), kMaxCommandLength - 1,
                             command)) {
        LogWarning(u"CCamImage::SendCameraCommand", "Camera command not sent: template '%S' is not usable",
                   Wide(ptzTemplate));
        return;
    }
    // Dropped while the previous command is being sent, or when the stream has no connection.
    if (commands.Send(command) == CommandSender::SendResult::ThreadFailed)
        LogError(u"CCamImage::SendCameraCommand", "Failed to start the command thread");
}
