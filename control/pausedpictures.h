#pragma once
// The pictures a paused display steps through: those its camera's replay memory kept when it
// paused, held, so that the memory moving on (new pictures pushing the oldest out, a reconnect
// that begins with an empty memory) takes none of them from under the steps; the pictures that
// came since are added behind them as the steps look. The pictures more than the first hold's
// span before or after the one shown are let go, but for those the memory keeps now, so that
// while paused a display holds at most two memories' worth of bytes beyond the memory's own.
//
// Threads: the display's (UI) thread.

#include "control/replaymemory.h"

#include <cstdint>
#include <vector>

class PausedPictures {
  public:
    using Picture = ReplayMemory::Picture;

    // Holds the pictures kept now (in the order they arrived); the newest is shown.
    void Hold(std::vector<Picture> kept);
    // Adds the pictures kept now that arrived after the newest held.
    void Follow(const std::vector<Picture>& kept);
    void Release();
    bool Empty() const { return held.empty(); }
    const std::vector<Picture>& Held() const { return held; }
    // The held picture at this index (the nearest end when past one) is the one shown.
    const Picture& Show(int64_t index);
    int64_t ShownIndex() const { return shown; }

  private:
    std::vector<Picture> held;
    int64_t shown = 0;
    int64_t spanMs = 0; // of the first hold
};
