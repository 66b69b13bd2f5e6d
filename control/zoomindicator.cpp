#include "control/zoomindicator.h"

#include "control/picturezoom.h"

#include <QPainter>
#include <QRect>
#include <QSizeF>

#include <algorithm>

namespace {

constexpr double kMapSide = 96.0; // the longer side of the map, in pixels
constexpr int kMargin = 8;

} // namespace

void DrawZoomIndicator(QPainter& painter, const QRect& client, const QSizeF& picture,
                       const PictureZoom& zoom) {
    if (picture.isEmpty() || client.width() < 3 * kMapSide || client.height() < 2 * kMapSide)
        return; // no room for it over a small picture
    const double scale = kMapSide / std::max(picture.width(), picture.height());
    const QSizeF map(picture.width() * scale, picture.height() * scale);
    const QRectF whole(client.right() - kMargin - map.width(), client.bottom() - kMargin - map.height(),
                       map.width(), map.height());
    const QRectF area = zoom.Area();
    const QRectF shown(whole.left() + area.left() * whole.width(), whole.top() + area.top() * whole.height(),
                       area.width() * whole.width(), area.height() * whole.height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor(255, 255, 255, 200), 1));
    painter.setBrush(QColor(0, 0, 0, 160));
    painter.drawRect(whole);
    painter.setPen(QPen(QColor(255, 214, 0), 2));
    painter.setBrush(QColor(255, 214, 0, 60));
    painter.drawRect(shown);
    const QString factor = QStringLiteral("x%1").arg(zoom.Factor(), 0, 'f', 1);
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    const QFontMetrics metrics = painter.fontMetrics();
    const QRectF label(whole.right() - metrics.horizontalAdvance(factor) - 8,
                       whole.top() - metrics.height() - 6, metrics.horizontalAdvance(factor) + 8,
                       metrics.height() + 4);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 160));
    painter.drawRect(label);
    painter.setPen(Qt::white);
    painter.drawText(label, Qt::AlignCenter, factor);
    painter.restore();
}
