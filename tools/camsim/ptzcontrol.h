#pragma once
// The pan, tilt and zoom of each video source, as ptz.cgi commands change them and as the
// pictures show them.
//
// Threads: commands arrive on connection threads and streams read positions on theirs; the map
// is guarded by `lock`.

#include "tools/camsim/requesthead.h"

#include <map>
#include <mutex>

namespace camsim {

struct PtzPosition {
    int zoom = 1;        // 1 .. 9999, shown in the pictures' text
    double crossX = 0.5; // where the picture's colour fields meet (see TestPattern)
    double crossY = 0.5;
};

class PtzControl {
  public:
    static constexpr int kMinZoom = 1;
    static constexpr int kMaxZoom = 9999;

    // Applies "zoom=N", "rzoom=N" and "center=X,Y" (a point of a picture of "imagewidth" x
    // "imageheight", by default width x height, that becomes the new middle) for the video source
    // "camera" (default 1). False, changing nothing, for a source outside 1 .. sources or a value
    // that is not a number.
    bool Apply(const RequestHead& request, int sources, int width, int height);
    PtzPosition Position(int camera) const;

  private:
    mutable std::mutex lock;
    std::map<int, PtzPosition> positions; // by video source; guarded by lock
};

} // namespace camsim
