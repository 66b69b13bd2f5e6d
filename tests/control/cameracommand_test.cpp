#include "control/cameracommand.h"

#include "tests/support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

TEST(CameraCommandTest, TapsFollowTheRotation) {
    // A tap at (30, 40) in a 240 by 320 client area.
    auto mapped = [](int rotate) {
        const TapPosition p = MapTap(30, 40, 240, 320, rotate);
        return QString("%1 %2 %3 %4").arg(p.width).arg(p.height).arg(p.x).arg(p.y);
    };
    EXPECT_EQ(mapped(0), "240 320 30 40");
    EXPECT_EQ(mapped(90), "320 240 40 210");
    EXPECT_EQ(mapped(180), "240 320 210 280");
    EXPECT_EQ(mapped(270), "320 240 280 30");
    EXPECT_EQ(mapped(45), mapped(0));
}

TEST(CameraCommandTest, OnlyFourIntegersAndPercentSignsAreFormatted) {
    const TapPosition tap{640, 480, 10, 20};
    QString command;
    ASSERT_TRUE(FormatCameraCommand(
        "/vexo-cgi/com/ptz.cgi?camera=2&imagewidth=%d&imageheight=%d&center=%d,%d", tap, 255, command));
    EXPECT_EQ(command, "/vexo-cgi/com/ptz.cgi?camera=2&imagewidth=640&imageheight=480&center=10,20");
    ASSERT_TRUE(FormatCameraCommand("/x?a=100%%&c=%d,%d", tap, 255, command));
    EXPECT_EQ(command, "/x?a=100%&c=640,480");

    command = "unchanged";
    EXPECT_FALSE(FormatCameraCommand("/x?c=%s", tap, 255, command));
    EXPECT_FALSE(FormatCameraCommand("/x?c=%d,%d,%d,%d,%d", tap, 255, command));
    EXPECT_FALSE(FormatCameraCommand("/x?c=%n", tap, 255, command));
    EXPECT_FALSE(FormatCameraCommand("/x?c=%", tap, 255, command));
    EXPECT_FALSE(FormatCameraCommand("/x?c=%08d", tap, 255, command));
    EXPECT_FALSE(FormatCameraCommand("/" + QString(260, 'p') + "?%d", tap, 255, command));
    EXPECT_EQ(command, "unchanged");
}

} // namespace
