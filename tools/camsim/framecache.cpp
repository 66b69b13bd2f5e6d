#include "tools/camsim/framecache.h"

#include "tools/camsim/jpegencoder.h"
#include "tools/camsim/testpattern.h"

namespace camsim {

const std::string& FrameCycle::Picture(long long number) {
    if (key.scene.kind != MotionScene::Kind::None) { // every picture of a scene is its own
        thread_local std::string scenePicture;       // each stream's thread has its own
        const std::vector<uint8_t> pixels = RenderMotionScene(key.scene, key.width, key.height, number);
        scenePicture = EncodeJpeg(pixels.data(), key.width, key.height, key.grey);
        return scenePicture;
    }
    const int index = static_cast<int>(number % kLength);
    std::call_once(encoded[index], [this, index] {
        const Scene scene{key.camera, index, key.zoom, key.crossX / 10000.0, key.crossY / 10000.0};
        const std::vector<uint8_t> pixels = TestPattern(key.width, key.height, scene).Render();
        pictures[index] = EncodeJpeg(pixels.data(), key.width, key.height, key.grey);
    });
    return pictures[index];
}

std::shared_ptr<FrameCycle> FrameCache::Get(const FrameKey& key) {
    std::lock_guard<std::mutex> guard(lock);
    auto found = cycles.find(key);
    if (found != cycles.end())
        return found->second;
    auto cycle = std::make_shared<FrameCycle>(key);
    cycles.emplace(key, cycle);
    age.push_back(key);
    if (age.size() > kCacheLimit) {
        cycles.erase(age.front());
        age.pop_front();
    }
    return cycle;
}

} // namespace camsim
