#pragma once
// The control's own window: paints the picture and takes taps.

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

  private:
    CCamImage* control;
};
