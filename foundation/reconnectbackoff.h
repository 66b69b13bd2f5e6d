#pragma once
// How long to wait before connecting to a camera again after its stream ended. The first time at
// once; after each further connection that brought fewer than a handful of pictures (a camera
// that sends one picture and closes, or refuses each stream at once) twice as long as the last
// time, from half a second up to ten; after a connection that streamed, at once again. A camera
// that fails this way is then asked a few times a second at the most, not hundreds.

#include <cstdint>

class ReconnectBackoff {
  public:
    static constexpr int64_t kHandfulOfPictures = 5;
    static constexpr uint32_t kFirstWaitMs = 500;
    static constexpr uint32_t kLongestWaitMs = 10000;

    // The wait before the next connection, for a connection that has just ended after bringing
    // this many pictures.
    uint32_t AfterConnection(int64_t pictures);
    void Reset() { shortConnections = 0; }

  private:
    int shortConnections = 0; // in a row
};
