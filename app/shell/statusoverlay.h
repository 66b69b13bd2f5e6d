#pragma once
// Words drawn over a camera's picture ("No picture for 12 s", "Connecting", a failure): a box
// of light text on a dark ground, centred on the picture when it is large enough to hold the
// box, else on the whole window it covers. It covers its parent whole, follows its size, lets
// every mouse event through, and is hidden while it has nothing to say.

#include <QWidget>

class StatusOverlay : public QWidget {
  public:
    // picture: the window that shows the picture, a sibling below the overlay.
    StatusOverlay(QWidget* parent, QWidget* picture);

    void SetText(const QString& text);
    const QString& Text() const { return text; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    QWidget* picture;
    QString text;
};
