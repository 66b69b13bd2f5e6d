#pragma once
// The control's own window: paints the picture and takes taps; with the digital zoom on, also
// the wheel, which zooms, and drags, which pan.

#include <QPointF>
#include <QWidget>

class CCamImage;

class CamImageWindow : public QWidget {
  public:
    CamImageWindow(CCamImage* control, QWidget* parent);
    ~CamImageWindow() override;

    // The control lets go of its window: no more calls into it.
    void DetachControl();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    CCamImage* control;
    // A press with the digital zoom on: a tap, until it moves far enough to be a drag.
    bool pressed = false;
    bool dragging = false;
    QPointF pressedAt;
    QPointF lastAt;
};
