#include "control/pausedpictures.h"

#include <algorithm>

void PausedPictures::Hold(std::vector<Picture> kept) {
    held = std::move(kept);
    shown = static_cast<int64_t>(held.size()) - 1;
    spanMs = held.empty() ? 0 : held.back().arrivalMs - held.front().arrivalMs;
}

void PausedPictures::Follow(const std::vector<Picture>& kept) {
    if (held.empty()) {
        Hold(kept);
        return;
    }
    // Those held more than the span after the one shown go, but for those the memory keeps now:
    // steps near the pause while the camera goes on do not hold everything it sent since.
    const int64_t shownMs = held[static_cast<size_t>(shown)].arrivalMs;
    const auto later = std::upper_bound(held.begin() + shown, held.end(), shownMs + spanMs,
                                        [](int64_t t, const Picture& p) { return t < p.arrivalMs; });
    held.erase(later, held.end());
    // Arrival times go on across the camera's connections, where picture numbers begin again.
    const auto newer = std::upper_bound(kept.begin(), kept.end(), held.back().arrivalMs,
                                        [](int64_t t, const Picture& p) { return t < p.arrivalMs; });
    held.insert(held.end(), newer, kept.end());
    const int64_t oldest = shownMs - spanMs;
    const auto first = std::lower_bound(held.begin(), held.begin() + shown, oldest,
                                        [](const Picture& p, int64_t t) { return p.arrivalMs < t; });
    shown -= first - held.begin();
    held.erase(held.begin(), first);
}

void PausedPictures::Release() {
    held.clear();
    shown = 0;
    spanMs = 0;
}

const PausedPictures::Picture& PausedPictures::Show(int64_t index) {
    shown = std::clamp<int64_t>(index, 0, static_cast<int64_t>(held.size()) - 1);
    return held[static_cast<size_t>(shown)];
}
