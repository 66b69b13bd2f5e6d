#include "app/dialogs/motionmaskeditor.h"

#include "app/resources/resource.h"

#include "foundation/text.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

const QColor kAreaEdge(0xFF, 0x8F, 0x00);
const QColor kAreaFill(0x20, 0x20, 0x20, 0xA0);
constexpr double kSmallestShare = 0.01; // a drag shorter than this is a click

} // namespace

// Over the picture: draws the areas and takes the mouse.
class MotionMaskEditor::Layer : public QWidget {
  public:
    explicit Layer(MotionMaskEditor* editor) : QWidget(editor), editor(editor) { setCursor(Qt::CrossCursor); }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(QPen(kAreaEdge, 2));
        painter.setBrush(kAreaFill);
        for (const QRectF& share : editor->areas)
            painter.drawRect(editor->PlaceOf(share));
        if (dragging) {
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(kAreaEdge, 1, Qt::DashLine));
            painter.drawRect(editor->PlaceOf(editor->ShareOf(from, to)));
        }
    }

    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::RightButton) {
            // The area drawn last is on top: it goes first.
            for (qsizetype n = editor->areas.size() - 1; n >= 0; --n) {
                if (editor->PlaceOf(editor->areas[n]).contains(event->position())) {
                    editor->areas.removeAt(n);
                    break;
                }
            }
            update();
            return;
        }
        if (event->button() != Qt::LeftButton)
            return;
        dragging = true;
        from = to = event->position();
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        if (!dragging)
            return;
        to = event->position();
        update();
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        if (!dragging || event->button() != Qt::LeftButton)
            return;
        dragging = false;
        const QRectF share = editor->ShareOf(from, event->position());
        if (share.width() >= kSmallestShare && share.height() >= kSmallestShare)
            editor->areas << share;
        update();
    }

  private:
    MotionMaskEditor* editor;
    bool dragging = false;
    QPointF from;
    QPointF to;
};

MotionMaskEditor::MotionMaskEditor(QWidget* parent) : QWidget(parent), layer(new Layer(this)) {
    setMinimumSize(160, 120);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void MotionMaskEditor::SetPicture(QWidget* window) {
    picture = window;
    picture->setParent(this);
    picture->setGeometry(rect());
    picture->show();
    layer->raise();
}

void MotionMaskEditor::SetAreas(const QList<QRectF>& shares) {
    areas = shares;
    layer->update();
}

QRectF MotionMaskEditor::ShareOf(const QPointF& from, const QPointF& to) const {
    const QRectF picked = QRectF(from, to).normalized();
    const QRectF share(picked.x() / width(), picked.y() / height(), picked.width() / width(),
                       picked.height() / height());
    return share.intersected(QRectF(0, 0, 1, 1));
}

QRectF MotionMaskEditor::PlaceOf(const QRectF& share) const {
    return QRectF(share.x() * width(), share.y() * height(), share.width() * width(),
                  share.height() * height());
}

void MotionMaskEditor::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (picture)
        picture->setGeometry(rect());
    layer->setGeometry(rect());
}

void MotionMaskEditor::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0x50, 0x50, 0x50));
    if (!picture) {
        painter.setPen(Qt::white);
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, LoadResText(Str::MotionNoPicture));
    }
}
