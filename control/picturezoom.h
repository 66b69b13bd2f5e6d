#pragma once
// How far a control is zoomed into its picture, and where: a factor from 1 (the whole picture)
// to kMaxFactor and the visible area's place, in shares of the picture as it is drawn (after the
// rotation), so that the place holds when the window or the decoded size changes. Every point
// is given on the target: the rectangle of the window the picture is drawn on, which the visible
// area fills.
//
// UI thread only.

#include <QPointF>
#include <QRectF>

class PictureZoom {
  public:
    static constexpr double kMaxFactor = 8.0;
    // One notch of a mouse wheel (120 units of its angle) zooms by this factor.
    static constexpr double kNotchFactor = 1.4142135623730951;

    double Factor() const { return factor; }
    bool Zoomed() const { return factor > 1.0; }
    // The visible share of the picture: left, top, width and height, each in [0, 1].
    QRectF Area() const;

    // Zooms to factor (kept between 1 and kMaxFactor), keeping the picture point shown at
    // `point` where it is.
    void ZoomAbout(double newFactor, QPointF point, const QRectF& target);
    // The wheel's angle (120 a notch; negative zooms out), about point.
    void Wheel(int angle, QPointF point, const QRectF& target);
    // The picture follows a drag by `by` pixels, as far as its edges allow.
    void Pan(QPointF by, const QRectF& target);
    void Reset();
    // The area of the same size shows from this top left corner, as far as the edges allow.
    void MoveTo(QPointF topLeft);

    // The point of the picture (in shares of it) shown at point.
    QPointF PictureAt(QPointF point, const QRectF& target) const;

  private:
    void KeepInside();

    double factor = 1.0;
    QPointF origin{0.0, 0.0}; // the visible area's top left corner
};
