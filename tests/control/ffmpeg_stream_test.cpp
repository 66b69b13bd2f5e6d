// The stream control watching ffmpeg's own Motion-JPEG server: its default boundary, declared
// nowhere but in the body, and the boundary of the cameras, each slow and fast.

#include "tests/control/controlfixture.h"

#include "tests/support/ffmpegserver.h"
#include "tests/support/qtprinters.h"

#include <QImage>

#include <cstdlib>

namespace {

class FfmpegStreamTest : public ControlTest, public ::testing::WithParamInterface<std::tuple<int, bool>> {
  protected:
    int Rate() const { return std::get<0>(GetParam()); }
    bool CameraBoundary() const { return std::get<1>(GetParam()); }
};

// The mean difference per channel between the window's top-left 640x480 and a picture.
double MeanDifference(const QImage& shown, const std::string& rgb) {
    if (shown.width() < 640 || shown.height() < 480 || rgb.size() != 640 * 480 * 3)
        return 255;
    double sum = 0;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const QRgb pixel = shown.pixel(x, y);
            const auto* expected =
                reinterpret_cast<const uint8_t*>(rgb.data()) + static_cast<size_t>(y * 640 + x) * 3;
            sum += std::abs(qRed(pixel) - expected[0]) + std::abs(qGreen(pixel) - expected[1]) +
                   std::abs(qBlue(pixel) - expected[2]);
        }
    }
    return sum / (640.0 * 480 * 3);
}

TEST_P(FfmpegStreamTest, StreamsAreShownWithTheirSize) {
    const std::vector<std::string> cameraBoundary = {"-boundary_tag", "myboundary"};
    FfmpegServer server(Rate(), CameraBoundary() ? cameraBoundary : std::vector<std::string>());
    ASSERT_TRUE(server.Listening()) << server.Error();
    MakeControl();
    ASSERT_EQ(PutUrl(server.Url()), S_OK);
    ASSERT_TRUE(events->WaitFor("OnSize 640 480", 10000)) << events->Texts().join(", ").toStdString();
    EXPECT_EQ(events->Texts().mid(0, 2), QStringList({"OnStreamStarted 0 0", "OnSize 640 480"}));
    if (Rate() == 1) {
        // The first picture is shown before the second one is sent.
        EXPECT_EQ(PicturesDrawn(), 1);
        const QImage shown = ControlWindow()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_LT(MeanDifference(shown, FfmpegServer::FirstPicture()), 10.0);
    } else {
        EXPECT_TRUE(PumpUntil([&] { return PicturesRead() >= 20 && PicturesDrawn() >= 10; }, 10000))
            << PicturesRead() << " read, " << PicturesDrawn() << " drawn";
    }
    ASSERT_EQ(control->StopDownload(), S_OK);
    EXPECT_EQ(events->Texts().mid(events->Texts().size() - 2),
              QStringList({"OnConnectionBroken 2", "OnStreamStopped"}));
}

INSTANTIATE_TEST_SUITE_P(RatesAndBoundaries, FfmpegStreamTest,
                         ::testing::Combine(::testing::Values(1, 25), ::testing::Bool()),
                         [](const auto& info) {
                             return std::to_string(std::get<0>(info.param)) + "PerSecond" +
                                    (std::get<1>(info.param) ? "CameraBoundary" : "DefaultBoundary");
                         });

} // namespace
