// Decoding and converting pictures for drawing: colours, rotations, stretching, grey and odd
// widths, cut and corrupt pictures, hostile pictures.

#include "control/decodelimits.h"
#include "control/displaypicture.h"
#include "control/jpegdecoder.h"
#include "control/picturekernels.h"
#include "control/sharedpictures.h"

#include "foundation/log.h"
#include "tests/support/qtprinters.h"
#include "tools/camsim/hostilepictures.h"
#include "tools/camsim/jpegencoder.h"
#include "tools/camsim/testpattern.h"

#include <QImage>
#include <QPainter>
#include <QTransform>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

using camsim::TestPattern;

std::string PatternJpeg(int width, int height, bool grey = false) {
    const TestPattern pattern(width, height, camsim::Scene());
    const std::vector<uint8_t> rgb = pattern.Render();
    return camsim::EncodeJpeg(rgb.data(), width, height, grey);
}

bool Decode(const std::string& jpeg, DecodedPicture& picture) {
    return DecodeJpeg(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size(), picture);
}

QImage AsImage(const DecodedPicture& picture) {
    QImage image(picture.width, picture.height, QImage::Format_RGB888);
    for (int y = 0; y < picture.height; ++y) {
        std::memcpy(image.scanLine(y), picture.pixels.get() + static_cast<size_t>(y) * picture.width * 3,
                    static_cast<size_t>(picture.width) * 3);
    }
    return image;
}

// What the control draws into an area of the given size.
QImage Drawn(const std::string& jpeg, int rotate, bool stretch, QSize area) {
    DisplayPicture display;
    EXPECT_TRUE(display.Convert(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size(), rotate));
    QImage target(area, QImage::Format_RGB888);
    target.fill(Qt::magenta);
    QPainter painter(&target);
    display.Draw(painter, QRect(QPoint(0, 0), area), stretch);
    painter.end();
    return target;
}

bool Near(QRgb a, camsim::Rgb b, int tolerance = 12) {
    return std::abs(qRed(a) - b.red) <= tolerance && std::abs(qGreen(a) - b.green) <= tolerance &&
           std::abs(qBlue(a) - b.blue) <= tolerance;
}

TEST(DecodeJpegTest, ColourAndGreyPicturesGiveRgbRows) {
    DecodedPicture picture;
    ASSERT_TRUE(Decode(PatternJpeg(320, 240), picture));
    EXPECT_EQ(picture.width, 320);
    EXPECT_EQ(picture.height, 240);
    const TestPattern pattern(320, 240, camsim::Scene());
    const QImage image = AsImage(picture);
    const camsim::Point red = pattern.SamplePoint(TestPattern::Field::TopLeft);
    EXPECT_TRUE(Near(image.pixel(red.x, red.y), TestPattern::kTopLeft));

    ASSERT_TRUE(Decode(PatternJpeg(320, 240, true), picture));
    const QImage grey = AsImage(picture);
    const QRgb pixel = grey.pixel(red.x, red.y);
    EXPECT_EQ(qRed(pixel), qGreen(pixel));
    EXPECT_EQ(qGreen(pixel), qBlue(pixel));
    EXPECT_NEAR(qRed(pixel), TestPattern::Grey(TestPattern::kTopLeft), 6);
}

TEST(DecodeJpegTest, CutPicturesShowWhatTheyHaveAndBrokenOnesNothing) {
    const std::string whole = PatternJpeg(320, 240);
    DecodedPicture picture;
    ASSERT_TRUE(Decode(whole.substr(0, whole.size() / 2), picture));
    EXPECT_EQ(picture.width, 320);

    std::string corrupt = whole;
    corrupt[corrupt.find("\xFF\xC0") + 4] = 0; // sample precision 0
    EXPECT_FALSE(Decode(corrupt, picture));
    EXPECT_FALSE(picture.pixels);
    EXPECT_FALSE(Decode("not a jpeg at all, but long enough to be looked at as one", picture));
    EXPECT_FALSE(DecodeJpeg(nullptr, 10, picture));
}

TEST(DecodeJpegTest, HugeAnnouncedSizesAreRefusedBeforeAnyAllocation) {
    std::string jpeg = PatternJpeg(64, 48);
    const size_t frame = jpeg.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    jpeg[frame + 5] = static_cast<char>(0xFF); // height 65280+
    jpeg[frame + 6] = static_cast<char>(0x00);
    DecodedPicture picture;
    EXPECT_FALSE(Decode(jpeg, picture));
}

// Pictures made to cost the decoder as much as possible for their bytes: each is decoded or
// refused without its pixels ever being allocated, and each reason is logged once however often
// it comes.
TEST(DecodeJpegTest, HostilePicturesAreRefusedOrDecodedWithinTheLimits) {
    std::vector<std::string> logged;
    DiagLog::Instance().SetConsoleForTest([&](std::string_view line) { logged.emplace_back(line); });
    const std::map<std::string, std::string> refusals = {
        {"scans-2896.jpg", "bytes to decode"},
        {"scans-8192.jpg", "8192x8192 pixels is larger"},
        {"declared-8192.jpg", "8192x8192 pixels is larger"},
        {"largest-progressive.jpg", "bytes to decode"},
        {"progressive-scans.jpg", "scans decode more than"},
        {"progressive-arithmetic.jpg", "scans decode more than"},
        {"progressive-grey-scans.jpg", "scans decode more than"},
        {"too-many-scans.jpg", "more than 500 scans"},
        {"one-pixel-more.jpg", "4097x3072 pixels is larger"},
        {"too-wide.jpg", "8193x16 pixels is larger"},
    };
    std::string lastReason;
    const std::vector<camsim::HostilePicture> pictures =
        camsim::HostilePictures({DecodeLimits::kMaxPixels, DecodeLimits::kMaxProgressivePixels,
                                 DecodeLimits::kMaxSide, DecodeLimits::kMaxScans});
    for (const camsim::HostilePicture& hostile : pictures) {
        SCOPED_TRACE(hostile.name);
        struct Target {
            int width = 0;
            int height = 0;
            std::vector<uint8_t> row;
        } target;
        logged.clear();
        const bool decoded = DecodeJpegRows(
            reinterpret_cast<const uint8_t*>(hostile.bytes.data()), hostile.bytes.size(),
            PixelOrder::RedGreenBlue, &target,
            [](void* context, int width, int height) {
                auto* t = static_cast<Target*>(context);
                t->width = width;
                t->height = height;
                t->row.resize(static_cast<size_t>(width) * 3);
                return true;
            },
            [](void* context, int) { return static_cast<Target*>(context)->row.data(); });
        const auto refusal = refusals.find(hostile.name);
        if (refusal == refusals.end()) {
            EXPECT_TRUE(decoded);
            EXPECT_LE(static_cast<int64_t>(target.width) * target.height, DecodeLimits::kMaxPixels);
            EXPECT_TRUE(logged.empty());
        } else {
            EXPECT_FALSE(decoded);
            EXPECT_EQ(target.width, 0) << "no pixels for a refused picture";
            const bool named = std::any_of(logged.begin(), logged.end(), [&](const std::string& line) {
                return line.find(":W:") != std::string::npos &&
                       line.find(refusal->second) != std::string::npos;
            });
            // The reason of the picture refused before is not logged again.
            EXPECT_EQ(named, refusal->second != lastReason) << (logged.empty() ? "" : logged.front());
            lastReason = refusal->second;
        }
    }
    DiagLog::Instance().ResetForTest();

    // A refused picture leaves the last one on screen.
    const std::string good = PatternJpeg(64, 48);
    DisplayPicture display;
    ASSERT_TRUE(display.Convert(reinterpret_cast<const uint8_t*>(good.data()), good.size(), 0));
    const std::string& hostile = pictures.front().bytes;
    EXPECT_FALSE(display.Convert(reinterpret_cast<const uint8_t*>(hostile.data()), hostile.size(), 0));
    EXPECT_EQ(display.BitmapWidth(), 64);
    EXPECT_TRUE(display.HasBitmap());
}

// The tests of converting and drawing run once on each path of the pixel loops that this
// processor has; the path chosen before is chosen again after each.
class ForcedPictureKernel {
  public:
    explicit ForcedPictureKernel(PictureKernel kernel) {
        EXPECT_TRUE(ForcePictureKernel(kernel));
        EXPECT_EQ(ActivePictureKernel(), kernel);
    }
    ~ForcedPictureKernel() { ForcePictureKernel(before); }

  private:
    const PictureKernel before = ActivePictureKernel();
};

class DisplayPictureTest : public ::testing::TestWithParam<PictureKernel> {
    ForcedPictureKernel forced{GetParam()};
};

std::string KernelName(const ::testing::TestParamInfo<PictureKernel>& info) {
    return PictureKernelName(info.param);
}

struct RotationCase {
    int rotate;
    int quarterTurns; // clockwise
};

class RotationTest : public ::testing::TestWithParam<std::tuple<PictureKernel, RotationCase>> {
    ForcedPictureKernel forced{std::get<0>(GetParam())};
};

TEST_P(RotationTest, DrawsTheDecodedPictureTurnedClockwisePixelForPixel) {
    const RotationCase c = std::get<1>(GetParam());
    for (int width : {320, 161}) { // an odd width: rows padded in both copies
        SCOPED_TRACE(width);
        const std::string jpeg = PatternJpeg(width, 120);
        DecodedPicture picture;
        ASSERT_TRUE(Decode(jpeg, picture));
        const QImage expected = AsImage(picture).transformed(QTransform().rotate(90.0 * c.quarterTurns));

        const QImage atSize = Drawn(jpeg, c.rotate, false, expected.size() + QSize(20, 10));
        EXPECT_EQ(atSize.copy(QRect(QPoint(0, 0), expected.size())), expected);
        EXPECT_EQ(atSize.pixel(expected.width() + 5, 2),
                  QColor(Qt::magenta).rgb()); // nothing drawn beside it

        EXPECT_EQ(Drawn(jpeg, c.rotate, true, expected.size()), expected); // stretched to its own size
        const QImage stretched = Drawn(jpeg, c.rotate, true, expected.size() * 2); // covers the whole area
        for (int y = 0; y < expected.height(); y += 7) {
            for (int x = 0; x < expected.width(); x += 7) {
                ASSERT_EQ(stretched.pixel(2 * x + 1, 2 * y + 1), expected.pixel(x, y)) << x << "," << y;
            }
        }
        // Drawn at a third of its size, it is sampled from the bitmap, mirrored on the way.
        const QImage small = Drawn(jpeg, c.rotate, true, expected.size() / 3);
        const TestPattern pattern(width, 120, camsim::Scene());
        const QTransform turn = QTransform().rotate(90.0 * c.quarterTurns);
        for (const auto field : {TestPattern::Field::TopLeft, TestPattern::Field::TopRight,
                                 TestPattern::Field::BottomLeft, TestPattern::Field::BottomRight}) {
            const camsim::Point p = pattern.SamplePoint(field);
            const QPoint turned = QImage::trueMatrix(turn, width, 120).map(QPoint(p.x, p.y)) / 3;
            EXPECT_TRUE(Near(small.pixel(turned), TestPattern::FieldColour(field)))
                << turned.x() << "," << turned.y();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rotations, RotationTest,
                         ::testing::Combine(::testing::ValuesIn(AvailablePictureKernels()),
                                            ::testing::Values(RotationCase{0, 0}, RotationCase{90, 1},
                                                              RotationCase{180, 2}, RotationCase{270, 3})),
                         [](const auto& info) {
                             return PictureKernelName(std::get<0>(info.param)) + std::string("_rotate") +
                                    std::to_string(std::get<1>(info.param).rotate);
                         });
INSTANTIATE_TEST_SUITE_P(Kernels, DisplayPictureTest, ::testing::ValuesIn(AvailablePictureKernels()),
                         KernelName);

TEST_P(DisplayPictureTest, QuarterTurnsOfAnySizeArePixelExact) {
    // Sizes that leave parts of the turning blocks over: columns, strip rows, and a last strip.
    for (const QSize size : {QSize(99, 77), QSize(13, 53), QSize(640, 33)}) {
        const std::string jpeg = PatternJpeg(size.width(), size.height());
        DecodedPicture picture;
        ASSERT_TRUE(Decode(jpeg, picture));
        for (int turns : {1, 3}) {
            const QImage expected = AsImage(picture).transformed(QTransform().rotate(90.0 * turns));
            EXPECT_EQ(Drawn(jpeg, 90 * turns, false, expected.size()), expected)
                << size.width() << "x" << size.height();
        }
    }
}

TEST_P(DisplayPictureTest, EachPictureIsDrawnAsItIsWhicheverWayItWasDrawnBefore) {
    const std::string colour = PatternJpeg(160, 120);
    const std::string grey = PatternJpeg(160, 120, true);
    DisplayPicture display;
    QImage target(160, 120, QImage::Format_RGB888);
    const auto draw = [&](const std::string& jpeg, QSize area) {
        if (!jpeg.empty()) {
            EXPECT_TRUE(display.Convert(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size(), 0));
        }
        target.fill(Qt::magenta);
        QPainter painter(&target);
        display.Draw(painter, QRect(QPoint(0, 0), area), true);
    };
    const camsim::Point red = TestPattern(160, 120, camsim::Scene()).SamplePoint(TestPattern::Field::TopLeft);
    const QPoint at(red.x, red.y);
    draw(colour, target.size());
    EXPECT_TRUE(Near(target.pixel(at), TestPattern::kTopLeft));
    draw(grey, target.size()); // the next picture, not the one made for the last
    EXPECT_EQ(qRed(target.pixel(at)), qBlue(target.pixel(at)));
    draw("", QSize(40, 30)); // sampled from the bitmap
    EXPECT_EQ(qRed(target.pixel(at / 4)), qBlue(target.pixel(at / 4)));
    draw(colour, QSize(40, 30));
    draw("", target.size()); // made again after being sampled
    EXPECT_TRUE(Near(target.pixel(at), TestPattern::kTopLeft));
}

TEST_P(DisplayPictureTest, QuarterTurnsExchangeTheBitmapSizeButNotThePictureSize) {
    const std::string jpeg = PatternJpeg(320, 240);
    DisplayPicture display;
    ASSERT_TRUE(display.Convert(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size(), 90));
    EXPECT_EQ(display.BitmapWidth(), 240);
    EXPECT_EQ(display.BitmapHeight(), 320);
    EXPECT_EQ(display.DecodedWidth(), 320);
    EXPECT_EQ(display.Bits().size(), static_cast<size_t>(DisplayPicture::RowBytes(240) * 320));

    // A picture that gives nothing keeps the last one.
    EXPECT_FALSE(display.Convert(reinterpret_cast<const uint8_t*>("garbage"), 7, 0));
    EXPECT_EQ(display.BitmapWidth(), 240);
    EXPECT_TRUE(display.HasBitmap());
}

TEST_P(DisplayPictureTest, PicturesKeptAsDrawnAreOpaqueAndTurnedOnesStillDrawRight) {
    const std::string square = PatternJpeg(96, 96);
    DisplayPicture display;
    const auto convert = [&](int rotate) {
        return display.Convert(reinterpret_cast<const uint8_t*>(square.data()), square.size(), rotate);
    };
    const auto draw = [&] {
        QImage target(96, 96, QImage::Format_ARGB32_Premultiplied);
        target.fill(Qt::transparent);
        QPainter painter(&target);
        display.Draw(painter, target.rect(), false);
        return target;
    };
    for (int rotate : {180, 0}) {
        ASSERT_TRUE(convert(rotate));
        const QImage asDrawn = display.AsDrawn();
        ASSERT_EQ(asDrawn.size(), QSize(96, 96));
        for (int y = 0; y < 96; ++y) {
            const auto* words = reinterpret_cast<const QRgb*>(asDrawn.constScanLine(y));
            ASSERT_TRUE(std::all_of(words, words + 96, [](QRgb word) { return qAlpha(word) == 255; })) << y;
        }
    }
    const QImage unturned = draw();
    EXPECT_TRUE(Near(unturned.pixel(2, 2), TestPattern::kTopLeft));
    EXPECT_EQ(qAlpha(unturned.pixel(95, 95)), 255); // a transparent window shows no hole

    // Same size turned and back: nothing made for one bitmap is drawn for another.
    ASSERT_TRUE(convert(90));
    EXPECT_TRUE(display.AsDrawn().isNull());
    const QImage turned = draw();
    EXPECT_NE(turned, unturned);
    ASSERT_TRUE(convert(0));
    EXPECT_EQ(draw(), unturned);
    ASSERT_TRUE(convert(90));
    EXPECT_EQ(draw(), turned);
}

TEST(DecodeScaleTest, TheSmallestScaleThatStillCoversTheDrawnSize) {
    EXPECT_EQ(ChooseScaleDenominator(640, 480, 160, 120), 4);
    EXPECT_EQ(ChooseScaleDenominator(640, 480, 161, 120), 2);
    EXPECT_EQ(ChooseScaleDenominator(640, 480, 80, 60), 8);
    EXPECT_EQ(ChooseScaleDenominator(640, 480, 1, 1), 8);
    EXPECT_EQ(ChooseScaleDenominator(640, 480, 320, 241), 1);
    EXPECT_EQ(ChooseScaleDenominator(641, 481, 81, 61), 8); // sides are rounded up: 81x61
    EXPECT_EQ(ChooseScaleDenominator(640, 480, 0, 0), 1);   // no size: whole

    const std::string jpeg = PatternJpeg(640, 480);
    DisplayPicture display;
    // Drawn 120 wide and 160 high, turned a quarter: a quarter of the picture covers it.
    ASSERT_TRUE(
        display.Convert(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size(), 90, QSize(120, 160)));
    EXPECT_EQ(display.DecodedWidth(), 160);
    EXPECT_EQ(display.DecodedHeight(), 120);
    EXPECT_EQ(display.BitmapWidth(), 120);
    EXPECT_EQ(display.PictureWidth(), 640);
    EXPECT_EQ(display.PictureHeight(), 480);
    // Scaled, each field is where the turn puts it.
    QImage target(120, 160, QImage::Format_RGB888);
    QPainter painter(&target);
    display.Draw(painter, target.rect(), true);
    painter.end();
    // The whole picture drawn as small is sampled from the bitmap as it is: the same places.
    const QImage sampled = Drawn(jpeg, 90, true, QSize(120, 160));
    const TestPattern pattern(640, 480, camsim::Scene());
    for (const auto field : {TestPattern::Field::TopLeft, TestPattern::Field::TopRight,
                             TestPattern::Field::BottomLeft, TestPattern::Field::BottomRight}) {
        const camsim::Point p = pattern.SamplePoint(field);
        const QPoint turned((480 - 1 - p.y) / 4, p.x / 4);
        EXPECT_TRUE(Near(target.pixel(turned), TestPattern::FieldColour(field)))
            << turned.x() << "," << turned.y();
        EXPECT_TRUE(Near(sampled.pixel(turned), TestPattern::FieldColour(field)))
            << turned.x() << "," << turned.y();
    }
}

// Zoomed into, only the part shown is decoded (at a scale at which it covers the drawn size), and
// it is drawn as that part of the whole picture looks, whatever the turn.
TEST_P(DisplayPictureTest, AZoomedAreaIsDecodedAloneAndDrawsAsThatPartOfTheWholePicture) {
    const std::string jpeg = PatternJpeg(640, 480);
    const QRectF area(0.3, 0.55, 0.25, 0.25); // across the fields' border, near the band
    struct Case {
        int rotate;
        QSize drawn;     // the scaled decoding's size; none: whole scale
        int scaledWidth; // the whole picture as decoded, as drawn
    };
    for (const Case c : {Case{0, QSize(), 640}, Case{90, QSize(), 480}, Case{180, QSize(), 640},
                         Case{270, QSize(), 480}, Case{0, QSize(80, 60), 320}}) {
        SCOPED_TRACE(c.rotate);
        const QImage whole = Drawn(jpeg, c.rotate, false, c.rotate % 180 ? QSize(480, 640) : QSize(640, 480));
        DisplayPicture display;
        ASSERT_TRUE(display.Convert(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size(), c.rotate,
                                    c.drawn, area));
        EXPECT_EQ(display.DrawnWidth(), c.scaledWidth);
        EXPECT_LT(display.BitmapWidth() * display.BitmapHeight(),
                  display.DrawnWidth() * display.DrawnHeight() / 8)
            << "only the part is decoded";
        EXPECT_TRUE(display.HeldArea().adjusted(-1e-9, -1e-9, 1e-9, 1e-9).contains(area));
        const QSize target = whole.size() / 4;
        QImage zoomed(target, QImage::Format_RGB888);
        QPainter painter(&zoomed);
        display.Draw(painter, zoomed.rect(), true, area);
        painter.end();
        int unlike = 0;
        for (int y = 1; y < target.height(); y += 5) {
            for (int x = 1; x < target.width(); x += 5) {
                const QPoint inWhole(
                    (area.left() + (x + 0.5) / target.width() * area.width()) * whole.width(),
                    (area.top() + (y + 0.5) / target.height() * area.height()) * whole.height());
                const QColor a = zoomed.pixelColor(x, y);
                const QColor b = whole.pixelColor(inWhole);
                unlike += std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                              std::abs(a.blue() - b.blue()) >
                          60;
            }
        }
        EXPECT_LT(unlike, 8) << "pixels unlike the whole picture's"; // a few on the fields' edges
    }
}

// A display finds another's conversion only for the same bytes, turn and drawn size, and only
// while that display shows it: converted again for another picture, it is not found for the first.
TEST(SharedPicturesTest, AConversionIsFoundForItsPictureWhileADisplayShowsIt) {
    const uint8_t first[] = {1, 2, 3};
    const uint8_t other[] = {1, 2, 4};
    const SharedPictures::Key key = SharedPictures::KeyOf(first, 3, 0, QSize(320, 240));
    auto shown = std::make_shared<DisplayPicture>();
    SharedPictures::Offer(key, shown);
    EXPECT_EQ(SharedPictures::Find(key), shown);
    for (const SharedPictures::Key& unlike : {SharedPictures::KeyOf(first, 3, 90, QSize(320, 240)),
                                              SharedPictures::KeyOf(first, 3, 0, QSize(160, 120)),
                                              SharedPictures::KeyOf(other, 3, 0, QSize(320, 240)),
                                              SharedPictures::KeyOf(first, 2, 0, QSize(320, 240))})
        EXPECT_EQ(SharedPictures::Find(unlike), nullptr);
    const SharedPictures::Key next = SharedPictures::KeyOf(other, 3, 0, QSize(320, 240));
    SharedPictures::Offer(next, shown);
    EXPECT_EQ(SharedPictures::Find(key), nullptr);
    EXPECT_EQ(SharedPictures::Find(next), shown);
    shown.reset();
    EXPECT_EQ(SharedPictures::Find(next), nullptr);
}

} // namespace
