// What the control's window shows of a camera's stream: the picture turned by Rotate, at its
// size or stretched, for colour, grey and odd-width pictures; cut pictures still show and
// corrupt ones keep the last picture.

#include "tests/control/controlfixture.h"

#include "tests/support/qtprinters.h"
#include "tools/camsim/testpattern.h"

#include <QImage>

#include <cstdlib>

namespace {

using camsim::TestPattern;

const char kStream[] = "/vexo-cgi/mjpg/video.cgi";

// Where a point of the camera's picture (width by height) lands after quarter turns clockwise.
QPoint Turned(camsim::Point p, int width, int height, int quarterTurns) {
    switch (quarterTurns % 4) {
    case 1:
        return {height - 1 - p.y, p.x};
    case 2:
        return {width - 1 - p.x, height - 1 - p.y};
    case 3:
        return {p.y, width - 1 - p.x};
    default:
        return {p.x, p.y};
    }
}

bool Near(QRgb a, camsim::Rgb b) {
    return std::abs(qRed(a) - b.red) <= 16 && std::abs(qGreen(a) - b.green) <= 16 &&
           std::abs(qBlue(a) - b.blue) <= 16;
}

class DrawingTest : public ControlTest {
  protected:
    // Streams from the camera until pictures were drawn and returns the window's content.
    QImage Shown(InProcessCamsim& camera, int16_t rotate, int32_t stretch, QSize window) {
        host.resize(window);
        control->put_Rotate(rotate);
        control->put_Stretch(stretch);
        events->Clear();
        EXPECT_EQ(PutUrl(camera.Url(kStream)), S_OK);
        const int64_t drawn = PicturesDrawn();
        EXPECT_TRUE(PumpUntil([&] { return PicturesDrawn() >= drawn + 3; }));
        return ControlWindow()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    void ExpectFields(const QImage& shown, int width, int height, int quarterTurns, double scale,
                      bool grey = false) {
        const TestPattern pattern(width, height, camsim::Scene());
        for (auto field : {TestPattern::Field::TopLeft, TestPattern::Field::TopRight,
                           TestPattern::Field::BottomLeft, TestPattern::Field::BottomRight}) {
            const QPoint at = Turned(pattern.SamplePoint(field), width, height, quarterTurns) * scale;
            camsim::Rgb colour = TestPattern::FieldColour(field);
            if (grey) {
                const uint8_t level = TestPattern::Grey(colour);
                colour = {level, level, level};
            }
            EXPECT_TRUE(Near(shown.pixel(at), colour))
                << "field " << static_cast<int>(field) << " at " << at.x() << "," << at.y() << " shows "
                << QColor(shown.pixel(at)).name().toStdString();
        }
    }
};

TEST_F(DrawingTest, EachRotationTurnsThePictureClockwise) {
    InProcessCamsim camera;
    MakeControl();
    for (int turns = 0; turns < 4; ++turns) {
        SCOPED_TRACE(turns * 90);
        const bool quarter = turns % 2 == 1;
        const QSize size = quarter ? QSize(480, 640) : QSize(640, 480);
        ExpectFields(Shown(camera, static_cast<int16_t>(turns * 90), 0, size), 640, 480, turns, 1.0);
        // Stretched over a window twice the size.
        ExpectFields(Shown(camera, static_cast<int16_t>(turns * 90), 1, size * 2), 640, 480, turns, 2.0);
    }
}

TEST_F(DrawingTest, GreyAndOddWidthPicturesAreDrawnWithoutShear) {
    camsim::CameraConfig config;
    config.faults.grey = true;
    config.faults.width = 161;
    config.height = 121;
    InProcessCamsim camera(config);
    MakeControl();
    ExpectFields(Shown(camera, 0, 0, QSize(161, 121)), 161, 121, 0, 1.0, true);
    ExpectFields(Shown(camera, 90, 0, QSize(121, 161)), 161, 121, 1, 1.0, true);
}

TEST_F(DrawingTest, CutPicturesShowAndCorruptOnesKeepTheLastPicture) {
    AllowLatePictures(); // ten undecodable pictures in a row are read, not timed out
    camsim::CameraConfig config;
    InProcessCamsim camera(config);
    MakeControl();
    const QImage before = Shown(camera, 0, 0, QSize(640, 480));
    ExpectFields(before, 640, 480, 0, 1.0);

    camsim::Faults corrupt;
    corrupt.corrupt = true;
    camera.Server().QueueFaults(corrupt);
    const int64_t drawn = PicturesDrawn();
    const int64_t read = PicturesRead();
    ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return PicturesRead() >= read + 10; }));
    Pump(100);
    EXPECT_EQ(PicturesDrawn(), drawn);
    ExpectFields(ControlWindow()->grab().toImage().convertToFormat(QImage::Format_RGB32), 640, 480, 0, 1.0);

    camsim::Faults cut;
    cut.truncated = true;
    camera.Server().QueueFaults(cut);
    ASSERT_EQ(PutUrl(camera.Url(kStream)), S_OK);
    EXPECT_TRUE(PumpUntil([&] { return PicturesDrawn() >= drawn + 3; }));
    // The top half of every picture arrived: the top fields are there.
    const QImage shown = ControlWindow()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const TestPattern pattern(640, 480, camsim::Scene());
    const camsim::Point red = pattern.SamplePoint(TestPattern::Field::TopLeft);
    EXPECT_TRUE(Near(shown.pixel(red.x, red.y), TestPattern::kTopLeft));
}

} // namespace
