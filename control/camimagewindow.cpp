#include "control/camimagewindow.h"

#include "control/camimage.h"

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
        control->SendCameraCommand(event->position().toPoint(), size());
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}
