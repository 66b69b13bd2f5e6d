#include "app/shell/statusoverlay.h"

#include <QEvent>
#include <QPainter>

namespace {

constexpr int kPadding = 8;
constexpr int kMargin = 4;

} // namespace

StatusOverlay::StatusOverlay(QWidget* parent, QWidget* pictureWindow)
    : QWidget(parent), picture(pictureWindow) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(parent->rect());
    parent->installEventFilter(this);
    hide();
}

void StatusOverlay::SetText(const QString& newText) {
    if (newText == text)
        return;
    text = newText;
    setVisible(!text.isEmpty());
    if (!text.isEmpty()) {
        raise();
        update();
    }
}

bool StatusOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void StatusOverlay::paintEvent(QPaintEvent*) {
    if (text.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect area = rect().adjusted(kMargin, kMargin, -kMargin, -kMargin);
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    QRect box = painter.fontMetrics().boundingRect(area.adjusted(kPadding, 0, -kPadding, 0), flags, text);
    box.adjust(-kPadding, -kPadding / 2, kPadding, kPadding / 2);
    // Over the picture when it holds the box, else over the whole window.
    QRect anchor = rect();
    if (picture && picture->isVisible() && picture->width() >= box.width() &&
        picture->height() >= box.height()) {
        anchor = picture->geometry();
    }
    box.moveCenter(anchor.center());
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 170));
    painter.drawRoundedRect(box, 4, 4);
    painter.setPen(Qt::white);
    painter.drawText(box, flags, text);
}
