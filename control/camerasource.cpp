#include "control/camerasource.h"

#include "control/imagereader.h"
#include "control/streamtimings.h"

#include "foundation/log.h"
#include "platform/http/widetext.h"
#include "platform/kernel/lasterror.h"
#include "platform/kernel/tick.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <system_error>
#include <utility>

namespace {

constexpr char16_t kAgent[] = u"CamImgCE";
constexpr uint32_t kStatusQuery = HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER; // 0x20000013

using Clock = std::chrono::steady_clock;

HINTERNET TakeHandle(HINTERNET& handle) {
    return std::exchange(handle, nullptr);
}

// The shared sources by camera. A source is held by its threads while it runs; the registry
// only finds it.
std::mutex registryLock;
std::map<CameraKey, std::weak_ptr<CameraSource>>& Registry() {
    static std::map<CameraKey, std::weak_ptr<CameraSource>> sources; // guarded by registryLock
    return sources;
}

} // namespace

bool CameraKey::operator<(const CameraKey& other) const {
    return std::tie(url, user, password) < std::tie(other.url, other.user, other.password);
}

CameraSource::CameraSource(const CameraKey& key, bool isShared) : camera(key), shared(isShared) {}

std::shared_ptr<CameraSource> CameraSource::Create(const CameraKey& key, bool isShared) {
    std::shared_ptr<CameraSource> source(new CameraSource(key, isShared));
    if (isShared) {
        std::lock_guard<std::mutex> guard(registryLock);
        auto& sources = Registry();
        for (auto it = sources.begin(); it != sources.end();) // forget the sources that are gone
            it = it->second.expired() ? sources.erase(it) : std::next(it);
        // One is made only when no stream of the camera runs: one still found has ended.
        const auto ended = sources.find(key);
        if (ended != sources.end())
            if (const std::shared_ptr<CameraSource> before = ended->second.lock())
                source->replay = before->replay;
        sources[key] = source;
    }
    return source;
}

void CameraSource::KeepReplayOf(CameraSource& ended, const void* leftAsker) {
    if (shared || ended.camera != camera)
        return;
    ended.replay->Leave(leftAsker, kLingerMs); // past once the display asks again, as it opens
    replay = ended.replay;
}

std::shared_ptr<CameraSource> CameraSource::Find(const CameraKey& key) {
    std::shared_ptr<CameraSource> source;
    {
        std::lock_guard<std::mutex> guard(registryLock);
        const auto it = Registry().find(key);
        if (it != Registry().end())
            source = it->second.lock();
    }
    if (!source)
        return nullptr;
    std::lock_guard<std::mutex> guard(source->slotLock);
    return source->streamEnded ? nullptr : source;
}

void CameraSource::StopAllShared() {
    std::vector<std::shared_ptr<CameraSource>> running;
    {
        std::lock_guard<std::mutex> guard(registryLock);
        for (const auto& [camera, source] : Registry()) {
            if (std::shared_ptr<CameraSource> alive = source.lock())
                running.push_back(std::move(alive));
        }
        Registry().clear();
    }
    for (const std::shared_ptr<CameraSource>& source : running)
        source->Stop();
}

CameraSource::~CameraSource() {
    // Threads hold the source while they run, so the only thread objects left here belong to
    // threads that have ended (or end right after releasing the source).
    if (readThread.thread.joinable())
        readThread.thread.detach();
    if (watchThread.thread.joinable())
        watchThread.thread.detach();
}

// ---- displays

std::vector<std::shared_ptr<DisplaySlot>> CameraSource::Slots() const {
    std::lock_guard<std::mutex> guard(slotLock);
    return displaySlots;
}

template <typename Call> void CameraSource::ForEachSlot(Call call) {
    for (const std::shared_ptr<DisplaySlot>& slot : Slots())
        call(*slot);
}

bool CameraSource::Join(std::shared_ptr<DisplaySlot> slot) {
    bool started;
    {
        std::lock_guard<std::mutex> guard(slotLock);
        if (streamEnded)
            return false;
        displaySlots.push_back(slot);
        started = streamStarted;
        if (started && newest.Size() > 0) // to a display that records nothing yet
            slot->Deliver(newest.Data(), newest.Size(), false);
    }
    {
        std::lock_guard<std::mutex> guard(watchLock);
        lingerEnd = {};
    }
    LogTrace(u"CCamImage::OpenURL", "Shares the stream of '%S'", Wide(camera.url));
    // A stream that has not started yet tells this display as it tells the others.
    if (started) {
        slot->FireStarted();
        // A stream that ended since the slot joined told only the displays it had seen start.
        bool ended;
        {
            std::lock_guard<std::mutex> guard(slotLock);
            ended = streamEnded;
        }
        if (ended) {
            slot->WaitForOtherCalls(); // a Broken the read thread claimed reaches the host first
            slot->FireBroken(2);
            slot->WaitForOtherCalls();
            slot->FireStopped();
        }
    }
    return true;
}

void CameraSource::Leave(const std::shared_ptr<DisplaySlot>& slot) {
    if (!shared) {
        Stop(); // its last events go to the slot, also those the read thread fires after the stop's wait
        return;
    }
    bool last;
    {
        std::lock_guard<std::mutex> guard(slotLock);
        displaySlots.erase(std::remove(displaySlots.begin(), displaySlots.end(), slot), displaySlots.end());
        last = displaySlots.empty() && !streamEnded;
    }
    replay->Leave(slot.get(), kLingerMs); // a display that comes in its place finds the seconds kept
    motion.Forget(slot.get());
    // What a stop would have told this display; the stream goes on for the others. Failed first:
    // it holds only while the display has not started, and then no start can follow it.
    slot->FireFailed(0);
    if (slot->HasStarted()) {
        slot->WaitForOtherCalls(); // a start the read thread claimed reaches the host first
        slot->FireBroken(2);
        slot->WaitForOtherCalls(); // and so does a Broken it claimed meanwhile
        slot->FireStopped();
    }
    if (last) {
        std::lock_guard<std::mutex> guard(watchLock);
        lingerEnd = Clock::now() + std::chrono::milliseconds(kLingerMs);
        watchChanged.notify_all();
    }
}

void CameraSource::Keep(const uint8_t* bytes, uint32_t n) {
    // The read thread alone writes the newest picture, so it compares with it unlocked. Two
    // pictures of a moving scene differ within their first blocks: the comparison reads all
    // bytes only of a picture that comes again.
    const bool same = newest.Size() == n && std::memcmp(newest.Data(), bytes, n) == 0;
    const Clock::time_point now = Clock::now();
    std::lock_guard<std::mutex> guard(slotLock);
    lastPicture = now;
    if (same)
        return;
    sameSince = now;
    newest.Clear();
    newest.Append(bytes, n);
}

void CameraSource::DetectMotion(const std::shared_ptr<DisplaySlot>& slot, const MotionSettings& settings) {
    Tell(motion.Watch(slot, settings));
}

void CameraSource::StopDetectingMotion(const DisplaySlot* slot) {
    Tell(motion.Unwatch(slot));
}

void CameraSource::Tell(const CameraMotion::Tells& tells) {
    for (const CameraMotion::Tell& tell : tells)
        tell.slot->FireMotion(tell.started, tell.picture);
}

uint32_t CameraSource::SamePictureMs() const {
    std::lock_guard<std::mutex> guard(slotLock);
    if (newest.Size() == 0 || streamEnded)
        return 0;
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(lastPicture - sameSince).count());
}

// ---- opening

HINTERNET CameraSource::CurrentRequest() const {
    std::lock_guard<std::mutex> guard(handleLock);
    return request;
}

bool CameraSource::OnReadThread() const {
    return std::this_thread::get_id() == readThreadId.load();
}

CameraSource::OwnedThread CameraSource::Take(OwnedThread& thread) {
    std::lock_guard<std::mutex> guard(threadLock);
    return std::exchange(thread, OwnedThread());
}

bool CameraSource::Open(std::shared_ptr<DisplaySlot> first) {
    LogTrace(u"CCamImage::OpenURL", "Open url '%S'", Wide(camera.url));
    opened = true;
    {
        std::lock_guard<std::mutex> guard(slotLock);
        displaySlots.push_back(first);
    }
    bool ok = false;
    HINTERNET newInternet = InternetOpenW(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET newConnection = nullptr;
    HINTERNET newRequest = nullptr;
    if (!newInternet) {
        LogError(u"CCamImage::OpenURL", "InternetOpen failed");
    } else {
        LogTrace(u"CCamImage::OpenConnection", "Open '%S'", Wide(camera.url));
        CrackedUrl parts;
        if (!camera.url.isEmpty() &&
            InternetCrackUrlW(reinterpret_cast<const char16_t*>(camera.url.utf16()), parts)) {
            // The connection is an HTTP one either way; https is a flag of the request.
            newConnection =
                InternetConnectW(newInternet, parts.host.c_str(), parts.port, WideOrNull(camera.user),
                                 WideOrNull(camera.password), INTERNET_SERVICE_HTTP, 0, 0);
            LogTrace(u"CCamImage::OpenConnection", "OpenConnection end");
            host = QString::fromStdU16String(parts.host);
            port = parts.port;
            secure = parts.scheme == INTERNET_SCHEME_HTTPS;
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
    if (ok) {
        auto self = shared_from_this();
        auto readDone = std::make_shared<ManualResetEvent>(false);
        auto watchDone = std::make_shared<ManualResetEvent>(false);
        std::unique_lock<std::mutex> guard(threadLock);
        try {
            readThread.thread = std::thread([self, readDone] {
                self->readThreadId = std::this_thread::get_id(); // before it can call Stop
                self->ReadThread();
                readDone->Set();
            });
            readThread.done = readDone;
            watchThread.thread = std::thread([self, watchDone] {
                self->watchThreadId = std::this_thread::get_id();
                self->WatchThread();
                watchDone->Set();
            });
            watchThread.done = watchDone;
        } catch (const std::system_error&) {
            LogError(u"CCamImage::OpenURL", "Failed to start the read thread");
            ok = false;
        }
    }
    if (!ok) {
        Stop();
        first->FireFailed(0);
        return false;
    }
    return true;
}

// ---- stopping

void CameraSource::WaitForThread(OwnedThread owned) {
    if (!owned.thread.joinable())
        return;
    if (owned.done->Wait(StreamTimings::Current().stopWaitMs)) {
        owned.thread.join();
    } else {
        LogWarning(u"CCamImage::Stop", "Wait timeout");
        owned.thread.detach(); // it holds the source and ends on its own
    }
}

void CameraSource::Stop() {
    LogTrace(u"CCamImage::Stop", "begin");
    {
        std::unique_lock<std::mutex> guard(stopLock);
        if (stopping) {
            LogTrace(u"CCamImage::Stop", "Stop alrady in progress");
            // The running stop takes the lock again as it ends: it is not held while waiting.
            guard.unlock();
            // A caller other than the read thread waits for the running stop, so that its events
            // come before this call returns, as they do when this call does the stopping.
            // The watch thread does not wait: the running stop waits for it.
            if (!OnReadThread() && std::this_thread::get_id() != watchThreadId.load()) {
                stopEnded.Wait(StreamTimings::Current().stopWaitMs);
                WaitForThread(Take(readThread));
            }
            return;
        }
        stopping = true;
        stopEnded.Reset();
    }
    {
        std::lock_guard<std::mutex> guard(slotLock);
        streamEnded = true;
    }
    {
        std::lock_guard<std::mutex> guard(watchLock);
        watchEnds = true;
    }
    watchChanged.notify_all();

    HINTERNET closing;
    {
        std::lock_guard<std::mutex> guard(handleLock);
        closing = TakeHandle(request);
    }
    if (closing)
        InternetCloseHandle(closing); // a blocked read on the read thread fails now
    requestClosed.Set();
    ForEachSlot([](DisplaySlot& slot) { slot.ReleaseWaits(); });

    if (!OnReadThread())
        WaitForThread(Take(readThread));
    if (std::this_thread::get_id() != watchThreadId.load())
        WaitForThread(Take(watchThread));
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
    replay->Expire(); // the seconds kept for displays that have left go with the stream
    LogTrace(u"CCamImage::Stop", "end");
    {
        std::lock_guard<std::mutex> guard(stopLock);
        stopping = false;
    }
    stopEnded.Set();
}

// ---- the watch: connection and picture timeouts, the end of a linger

void CameraSource::SetConnectionDeadline(bool armed) {
    std::lock_guard<std::mutex> guard(watchLock);
    connectionDeadline =
        armed ? Clock::now() + std::chrono::milliseconds(StreamTimings::Current().connectionTimeoutMs)
              : Clock::time_point{};
    watchChanged.notify_all();
}

void CameraSource::StartPictureChecks() {
    std::lock_guard<std::mutex> guard(watchLock);
    nextPictureCheck = Clock::now() + std::chrono::milliseconds(StreamTimings::Current().pictureCheckMs);
    watchChanged.notify_all();
}

void CameraSource::WatchThread() {
    std::unique_lock<std::mutex> guard(watchLock);
    while (!watchEnds) {
        Clock::time_point next = Clock::time_point::max();
        for (const Clock::time_point deadline : {connectionDeadline, nextPictureCheck, lingerEnd}) {
            if (deadline != Clock::time_point{})
                next = std::min(next, deadline);
        }
        if (next == Clock::time_point::max()) {
            watchChanged.wait(guard);
            continue;
        }
        if (watchChanged.wait_until(guard, next) != std::cv_status::timeout && Clock::now() < next)
            continue;
        const Clock::time_point now = Clock::now();
        bool stop = false;
        if (connectionDeadline != Clock::time_point{} && now >= connectionDeadline) {
            connectionDeadline = {};
            stop = true;
        }
        if (nextPictureCheck != Clock::time_point{} && now >= nextPictureCheck) {
            const StreamTimings& timings = StreamTimings::Current();
            nextPictureCheck = now + std::chrono::milliseconds(timings.pictureCheckMs);
            if (frameArrived.exchange(false)) {
                timeoutRunning = false;
            } else if (!timeoutRunning) {
                timeoutRunning = true;
                timeoutStart = now;
            } else if (now - timeoutStart > std::chrono::milliseconds(timings.pictureTimeoutMs)) {
                LogTrace(u"CCamImage::OnTimer", "Img Timeout");
                frameArrived = true;
                timeoutRunning = false;
                stop = true;
            }
        }
        if (lingerEnd != Clock::time_point{} && now >= lingerEnd) {
            lingerEnd = {};
            std::lock_guard<std::mutex> slotGuard(slotLock);
            if (displaySlots.empty()) { // ended here, so that no display joins the stream that stops
                streamEnded = true;
                stop = true;
            }
        }
        if (stop) {
            guard.unlock();
            Stop();
            guard.lock();
        }
    }
}

// ---- the read thread

bool CameraSource::SendRequest(int& status) {
    LogTrace(u"CCamImage::SendRequest", "begin");
    status = 0;
    const uint32_t start = GetTickCount();
    const StreamTimings& timings = StreamTimings::Current();
    struct AttemptsEnd {
        std::atomic<int>& attempts;
        ~AttemptsEnd() { attempts = 0; }
    } attemptsEnd{failedConnectAttempts};
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
        ++failedConnectAttempts;
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

void CameraSource::ReadThread() {
    LogTrace(u"CCamImage::ReadThread", "Begin");
    int status = 0;
    SetConnectionDeadline(true);
    const bool sent = SendRequest(status);
    SetConnectionDeadline(false);
    if (!sent) {
        LogError(u"CCamImage::ReadThread", "SendRequest failed");
        Stop();
        ForEachSlot([status](DisplaySlot& slot) { slot.FireFailed(status); });
        return;
    }

    // From here on a camera that sends nothing, before the first picture too, is given up after the
    // picture timeout: the reader's first bytes may never come.
    StartPictureChecks();
    ImageReader reader;
    if (!reader.InitStream(CurrentRequest())) {
        LogError(u"CCamImage::ReadThread", "anImgReader.InitStream failed");
        Stop();
        ForEachSlot([](DisplaySlot& slot) { slot.FireFailed(4); });
        return;
    }
    stats.Start();
    bool first = false;
    uint32_t lastYield = 0;

    const uint8_t* picture = nullptr;
    uint32_t length = 0;
    while (reader.Read(picture, length)) {
        if (!first) {
            LogTrace(u"CCamImage::ReadThread", "bFiredOnStreamStarted %d, %d", 0, 0);
            {
                std::lock_guard<std::mutex> guard(slotLock); // a display joining now is told by Join
                streamStarted = true;
            }
            ForEachSlot([](DisplaySlot& slot) { slot.FireStarted(); });
            first = true;
        }
        Keep(picture, length);
        replay->Add(picture, length);
        Tell(motion.Add(
            picture, length,
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count()));
        const std::vector<std::shared_ptr<DisplaySlot>> displays = Slots();
        int used = 0;
        for (const std::shared_ptr<DisplaySlot>& slot : displays) {
            slot->Deliver(picture, length, motion.InMotion(slot.get()));
            used += slot->TakeUsedCount();
        }
        frameArrived = true;
        stats.AddImage(static_cast<int>(length) + 65, static_cast<int>(length));
        stats.AddUsed(used);
        stats.Report();
        for (const std::shared_ptr<DisplaySlot>& slot : displays)
            slot->TellSize(picture, length);
        if (GetTickCount() - lastYield > 1000) {
            Sleep(1);
            lastYield = GetTickCount();
        }
    }
    LogTrace(u"CCamImage::ReadThread", "anImgReader.Read failed");
    Tell(motion.End()); // motion under way ends with the stream
    {
        std::lock_guard<std::mutex> guard(slotLock);
        streamEnded = true;
    }
    if (first) {
        ForEachSlot([](DisplaySlot& slot) { slot.FireBroken(2); });
        Stop();
    } else {
        LogTrace(u"CCamImage::ReadThread", "Failed on first image");
        ForEachSlot([](DisplaySlot& slot) { slot.FireFailed(5); });
        // A control of its own stream leaves the request to its StopDownload; a shared stream
        // that ended serves nobody, and a camera that takes one client needs its place back.
        if (shared)
            Stop();
    }
    ForEachSlot([](DisplaySlot& slot) { slot.FireStopped(); });
}
