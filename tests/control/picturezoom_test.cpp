// The digital zoom's arithmetic: zooming keeps the point under the pointer, and the area shown
// stays inside the picture however far it is zoomed or dragged.

#include "control/picturezoom.h"

#include <gtest/gtest.h>

namespace {

TEST(PictureZoomTest, ThePointedPictureStaysUnderThePointerAndTheAreaInsideThePicture) {
    const QRectF target(10, 20, 640, 480);
    struct Step {
        const char* what;
        int wheel;       // notches
        QPointF pointer; // where they are turned, or the drag's distance
        bool drag;
        double factor; // after the step
        bool keepsPointed;
    };
    const Step steps[] = {
        {"in about the top left", 2, {10, 20}, false, 2.0, true},
        {"in about a point", 1, {400, 300}, false, 2.8284271247, true},
        {"beyond the most", 9, {600, 450}, false, PictureZoom::kMaxFactor, false},
        {"out about the bottom right", -2, {650, 500}, false, 4.0, true},
        {"dragged far right and down", 0, {5000, 5000}, true, 4.0, false},
        {"dragged far left and up", 0, {-5000, -5000}, true, 4.0, false},
        {"out beyond the whole", -20, {200, 200}, false, 1.0, false},
    };
    PictureZoom zoom;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        const QPointF pointed = zoom.PictureAt(s.pointer, target);
        if (s.drag)
            zoom.Pan(s.pointer, target);
        else
            zoom.Wheel(120 * s.wheel, s.pointer, target);
        EXPECT_NEAR(zoom.Factor(), s.factor, 1e-6);
        const QRectF area = zoom.Area();
        EXPECT_GE(area.left(), 0.0);
        EXPECT_GE(area.top(), 0.0);
        EXPECT_LE(area.right(), 1.0 + 1e-12);
        EXPECT_LE(area.bottom(), 1.0 + 1e-12);
        if (s.keepsPointed) {
            EXPECT_NEAR(zoom.PictureAt(s.pointer, target).x(), pointed.x(), 1e-9);
            EXPECT_NEAR(zoom.PictureAt(s.pointer, target).y(), pointed.y(), 1e-9);
        }
    }
    // Dragged as far as it goes both ways: the area lies on the picture's edges.
    zoom.Wheel(240, target.center(), target);
    zoom.Pan({5000, 0}, target);
    EXPECT_EQ(zoom.Area().left(), 0.0);
    zoom.Pan({-5000, 0}, target);
    EXPECT_NEAR(zoom.Area().right(), 1.0, 1e-12);
}

} // namespace
