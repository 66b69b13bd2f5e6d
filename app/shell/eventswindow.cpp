#include "app/shell/eventswindow.h"

#include "app/resources/resource.h"
#include "app/shell/motionevents.h"

#include "foundation/text.h"

#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kStartRole = Qt::UserRole + 1;

} // namespace

EventsWindow::EventsWindow(QWidget* parent, MotionEvents& motionEvents,
                           std::function<void(const QString&, int64_t)> openAt)
    : QWidget(parent, Qt::Window), events(motionEvents), open(std::move(openAt)),
      list(new QTreeWidget(this)) {
    setWindowTitle(LoadResText(Str::EventsTitle));
    setObjectName(QStringLiteral("EventsWindow"));
    resize(560, 480);
    list->setHeaderLabels(
        {LoadResText(Str::EventsCamera), LoadResText(Str::EventsStart), LoadResText(Str::EventsDuration)});
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setIconSize(QSize(MotionEvents::kPictureWidth / 2, MotionEvents::kPictureWidth * 3 / 8));
    list->header()->setStretchLastSection(false);
    list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    list->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(LoadResText(Str::EventsHint), this));
    layout->addWidget(list);
    QObject::connect(list, &QTreeWidget::itemActivated, this, [this] { OpenCurrent(); });
    events.SetListener([this] { Fill(); });
    Fill();
}

EventsWindow::~EventsWindow() {
    events.SetListener(nullptr);
}

void EventsWindow::Fill() {
    list->clear();
    const QLocale locale;
    QList<QTreeWidgetItem*> rows;
    const std::deque<MotionEvents::Event>& all = events.Events();
    for (auto event = all.rbegin(); event != all.rend(); ++event) {
        auto* row = new QTreeWidgetItem(
            {event->name, locale.toString(event->Start(), QLocale::ShortFormat), event->DurationText()});
        row->setData(0, kPathRole, event->itemPath);
        row->setData(0, kStartRole, QVariant::fromValue<qlonglong>(event->id));
        if (rows.size() < kPictures) {
            const QImage picture = events.PictureOf(*event);
            if (!picture.isNull())
                row->setIcon(0, QPixmap::fromImage(picture));
        }
        rows << row;
    }
    list->addTopLevelItems(rows);
}

void EventsWindow::OpenCurrent() {
    const QTreeWidgetItem* row = list->currentItem();
    if (row && open)
        open(row->data(0, kPathRole).toString(), row->data(0, kStartRole).toLongLong());
}
