#pragma once
// Motion in a camera's pictures. Each picture is decoded grey at an eighth of its width and height
// (libjpeg's DCT scaling: a small part of a whole decode) and compared with a background that
// follows the scene slowly. A pixel moves when it differs from the background by more than the
// sensitivity allows, once the picture's change of brightness as a whole (its gain and shift over
// the pixels outside the mask) is taken out: lights switched on, or the camera's exposure, are not
// motion. A picture moves when the moving pixels outside the mask cover at least the smallest
// area. Motion starts at the kStartPictures-th such picture in a row and ends kEndMs after the
// last.
//
// One thread (the source's read thread); Settings are copied in.

#include <QRectF>

#include <cstdint>
#include <vector>

struct MotionSettings {
    int sensitivity = 50;        // 1 (only large changes) .. 100 (the smallest)
    double smallestArea = 0.01;  // share of the picture
    std::vector<QRectF> ignored; // areas of the picture (in shares of it) where nothing counts
    bool operator==(const MotionSettings&) const = default;
};

class MotionDetector {
  public:
    static constexpr int kStartPictures = 2;
    static constexpr int64_t kEndMs = 2000;

    enum class Change { None, Started, Ended };

    explicit MotionDetector(MotionSettings settings);

    // The next picture, at that time (ms on a clock that only moves on). A picture that cannot be
    // decoded is taken for one without motion: motion before it still ends.
    Change Add(const uint8_t* jpeg, size_t length, int64_t nowMs);
    bool InMotion() const { return inMotion; }
    const MotionSettings& Settings() const { return settings; }
    // The moving share of the last picture.
    double MovingShare() const { return movingShare; }

  private:
    bool Decode(const uint8_t* jpeg, size_t length);
    // The share of the picture that moves, against the background, which it then follows.
    double Compare();

    const MotionSettings settings;
    std::vector<uint8_t> grey; // the last picture, at an eighth
    std::vector<float> background;
    std::vector<uint8_t> counted; // 1 where a pixel is outside the ignored areas
    int width = 0;
    int height = 0;
    int movingInARow = 0;
    bool inMotion = false;
    int64_t lastMovingMs = 0;
    double movingShare = 0;
};
