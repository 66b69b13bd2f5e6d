#include "control/cameramotion.h"

#include "foundation/log.h"

#include <algorithm>

CameraMotion::Watcher* CameraMotion::WatcherOf(const DisplaySlot* slot) const {
    for (const std::unique_ptr<Watcher>& watcher : watchers) {
        for (const std::shared_ptr<DisplaySlot>& watching : watcher->displays) {
            if (watching.get() == slot)
                return watcher.get();
        }
    }
    return nullptr;
}

void CameraMotion::TellAll(Tells& tells, const Watcher& watcher, bool started, int picture) {
    for (const std::shared_ptr<DisplaySlot>& slot : watcher.displays)
        tells.push_back({slot, started, picture});
}

CameraMotion::Tells CameraMotion::Remove(const DisplaySlot* slot) {
    Tells tells;
    Watcher* watcher = WatcherOf(slot);
    if (!watcher)
        return tells;
    auto& displays = watcher->displays;
    const auto at =
        std::find_if(displays.begin(), displays.end(), [slot](const auto& s) { return s.get() == slot; });
    if (!ended && watcher->detector.InMotion()) // at the last picture seen
        tells.push_back({*at, false, std::max(watcher->start, pictures - 1)});
    displays.erase(at);
    if (displays.empty()) {
        watchers.erase(std::find_if(watchers.begin(), watchers.end(),
                                    [watcher](const auto& w) { return w.get() == watcher; }));
    }
    return tells;
}

CameraMotion::Tells CameraMotion::Watch(const std::shared_ptr<DisplaySlot>& slot,
                                        const MotionSettings& settings) {
    std::lock_guard<std::mutex> guard(lock);
    if (const Watcher* watcher = WatcherOf(slot.get()); watcher && watcher->detector.Settings() == settings)
        return {};
    Tells tells = Remove(slot.get());
    const auto same = std::find_if(watchers.begin(), watchers.end(),
                                   [&settings](const auto& w) { return w->detector.Settings() == settings; });
    Watcher& watcher =
        same != watchers.end() ? **same : *watchers.emplace_back(std::make_unique<Watcher>(settings));
    watcher.displays.push_back(slot);
    if (!ended && watcher.detector.InMotion()) // a display that comes during motion is told it is under way
        tells.push_back({slot, true, watcher.start});
    return tells;
}

CameraMotion::Tells CameraMotion::Unwatch(const DisplaySlot* slot) {
    std::lock_guard<std::mutex> guard(lock);
    return Remove(slot);
}

void CameraMotion::Forget(const DisplaySlot* slot) {
    std::lock_guard<std::mutex> guard(lock);
    Remove(slot);
}

CameraMotion::Tells CameraMotion::Add(const uint8_t* bytes, uint32_t n, int64_t nowMs) {
    Tells tells;
    std::lock_guard<std::mutex> guard(lock);
    const int number = pictures++;
    for (const std::unique_ptr<Watcher>& watcher : watchers) {
        const MotionDetector::Change change = watcher->detector.Add(bytes, n, nowMs);
        if (change == MotionDetector::Change::None)
            continue;
        const bool started = change == MotionDetector::Change::Started;
        if (started) {
            watcher->start = number;
            watcher->picture.Clear();
            watcher->picture.Append(bytes, n);
        }
        LogInfo(u"CameraSource::Detect", "Motion %s at picture %d", started ? "starts" : "ends", number);
        TellAll(tells, *watcher, started, number);
    }
    return tells;
}

CameraMotion::Tells CameraMotion::End() {
    Tells tells;
    std::lock_guard<std::mutex> guard(lock);
    for (const std::unique_ptr<Watcher>& watcher : watchers) {
        if (!ended && watcher->detector.InMotion())
            TellAll(tells, *watcher, false, std::max(watcher->start, pictures - 1));
    }
    ended = true;
    return tells;
}

bool CameraMotion::MotionSince(const DisplaySlot* slot, int& picture) const {
    std::lock_guard<std::mutex> guard(lock);
    const Watcher* watcher = WatcherOf(slot);
    picture = watcher ? watcher->start : 0;
    return watcher && !ended && watcher->detector.InMotion();
}

bool CameraMotion::InMotion(const DisplaySlot* slot) const {
    int since = 0;
    return MotionSince(slot, since);
}

FrameBuffer CameraMotion::MotionPicture(const DisplaySlot* slot) const {
    std::lock_guard<std::mutex> guard(lock);
    const Watcher* watcher = WatcherOf(slot);
    return watcher ? watcher->picture : FrameBuffer();
}
