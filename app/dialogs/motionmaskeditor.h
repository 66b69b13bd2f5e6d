#pragma once
// The areas of a camera's picture where motion counts for nothing, drawn over the picture: a drag
// marks an area, a right click takes away the one under the pointer. The areas are kept in
// shares of the picture, so that they fit the picture at any size it is shown. The picture is a
// window of its own (the camera's live picture, stretched to fill the editor) that the editor
// holds under the areas; without one it shows a grey field.

#include <QList>
#include <QRectF>
#include <QWidget>

class MotionMaskEditor : public QWidget {
  public:
    explicit MotionMaskEditor(QWidget* parent = nullptr);

    // The picture's window, taken in under the areas.
    void SetPicture(QWidget* picture);
    void SetAreas(const QList<QRectF>& shares);
    const QList<QRectF>& Areas() const { return areas; }

    QSize sizeHint() const override { return {320, 240}; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    class Layer;
    friend class Layer;

    // The area between two points of the editor, in shares of the picture.
    QRectF ShareOf(const QPointF& from, const QPointF& to) const;
    QRectF PlaceOf(const QRectF& share) const;

    QWidget* picture = nullptr;
    Layer* layer;
    QList<QRectF> areas;
};
