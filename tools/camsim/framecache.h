#pragma once
// Pre-encoded pictures, so that serving a stream costs little more than copying bytes.
//
// A scene (size, video source, zoom, crossing point, colour or grey) has a cycle of
// FrameCycle::kLength pictures whose frame counters run 0 .. kLength - 1; each picture is
// encoded the first time a stream needs it. The cache keeps the latest kCacheLimit scenes;
// a stream holds on to the cycle it uses, so dropping one from the cache never pulls it away.
//
// Threads: any connection thread; each cycle encodes each picture once (std::call_once), and the
// cache's map is guarded by its lock.

#include "tools/camsim/motionscene.h"

#include <array>
#include <compare>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace camsim {

struct FrameKey {
    int width = 640;
    int height = 480;
    int camera = 1;
    int zoom = 1;
    int crossX = 5000; // crossing point in ten-thousandths of the width
    int crossY = 5000; // and of the height
    bool grey = false;
    MotionScene scene; // a scene for motion detection instead of the test pattern
    auto operator<=>(const FrameKey&) const = default;
};

class FrameCycle {
  public:
    static constexpr int kLength = 25;

    explicit FrameCycle(const FrameKey& key) : key(key) {}
    // The JPEG of frame number % kLength; of a motion scene, picture number itself (made anew).
    const std::string& Picture(long long number);

  private:
    const FrameKey key;
    std::array<std::once_flag, kLength> encoded;
    std::array<std::string, kLength> pictures;
    // A motion scene's pictures are made for each stream, on its own thread (thread_local).
};

class FrameCache {
  public:
    static constexpr size_t kCacheLimit = 32;

    std::shared_ptr<FrameCycle> Get(const FrameKey& key);

  private:
    std::mutex lock;
    std::map<FrameKey, std::shared_ptr<FrameCycle>> cycles; // guarded by lock
    std::deque<FrameKey> age;                               // oldest first; guarded by lock
};

} // namespace camsim
