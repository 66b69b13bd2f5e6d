#include "control/picturezoom.h"

#include <algorithm>
#include <cmath>

QRectF PictureZoom::Area() const {
    return QRectF(origin.x(), origin.y(), 1.0 / factor, 1.0 / factor);
}

QPointF PictureZoom::PictureAt(QPointF point, const QRectF& target) const {
    if (target.isEmpty())
        return origin;
    return origin + QPointF((point.x() - target.left()) / target.width(),
                            (point.y() - target.top()) / target.height()) /
                        factor;
}

void PictureZoom::ZoomAbout(double newFactor, QPointF point, const QRectF& target) {
    if (!std::isfinite(newFactor) || target.isEmpty())
        return;
    const QPointF pointed = PictureAt(point, target);
    factor = std::clamp(newFactor, 1.0, kMaxFactor);
    // The pointed picture point stays at the same share of the target.
    origin = pointed - QPointF((point.x() - target.left()) / target.width(),
                               (point.y() - target.top()) / target.height()) /
                           factor;
    KeepInside();
}

void PictureZoom::Wheel(int angle, QPointF point, const QRectF& target) {
    ZoomAbout(factor * std::pow(kNotchFactor, angle / 120.0), point, target);
}

void PictureZoom::Pan(QPointF by, const QRectF& target) {
    if (target.isEmpty())
        return;
    // Dragging the picture right shows what lies to its left.
    origin -= QPointF(by.x() / target.width(), by.y() / target.height()) / factor;
    KeepInside();
}

void PictureZoom::MoveTo(QPointF topLeft) {
    origin = topLeft;
    KeepInside();
}

void PictureZoom::Reset() {
    factor = 1.0;
    origin = QPointF(0.0, 0.0);
}

void PictureZoom::KeepInside() {
    const double most = 1.0 - 1.0 / factor;
    origin = QPointF(std::clamp(origin.x(), 0.0, most), std::clamp(origin.y(), 0.0, most));
}
