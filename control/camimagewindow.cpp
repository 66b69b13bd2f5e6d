#include "control/camimagewindow.h"

#include "control/camimage.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

CamImageWindow::CamImageWindow(CCamImage* owner, QWidget* parent) : QWidget(parent), control(owner) {
    // What the picture does not cover shows the host's background.
}

CamImageWindow::~CamImageWindow() = default;

void CamImageWindow::DetachControl() {
    control = nullptr;
}

void CamImageWindow::paintEvent(QPaintEvent*) {
    if (!control)
        return;
    QPainter painter(this);
    control->OnDraw(painter, rect());
}

void CamImageWindow::mousePressEvent(QMouseEvent* event) {
    if (control && event->button() == Qt::LeftButton) {
        if (control->DigitalZoomOn()) {
            pressed = true;
            dragging = false;
            pressedAt = lastAt = event->position();
        } else {
            control->SendCameraCommand(event->position().toPoint(), size());
        }
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void CamImageWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!control || !pressed) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPointF at = event->position();
    if (!dragging && (at - pressedAt).manhattanLength() >= QApplication::startDragDistance())
        dragging = true;
    if (dragging) {
        control->Pan(at - lastAt);
        lastAt = at;
    }
    event->accept();
}

void CamImageWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (!control || !pressed || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    pressed = false;
    if (!dragging) // a tap
        control->SendCameraCommand(pressedAt.toPoint(), size());
    dragging = false;
    event->accept();
}

void CamImageWindow::wheelEvent(QWheelEvent* event) {
    if (!control || !control->DigitalZoomOn() || event->angleDelta().y() == 0) {
        QWidget::wheelEvent(event);
        return;
    }
    control->ZoomByWheel(event->angleDelta().y(), event->position());
    event->accept();
}
