#include "app/shell/eventswindow.h"

#include "app/resources/resource.h"
#include "app/shell/motionevents.h"

#include "foundation/text.h"

#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

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
    events.SetListener([this] { Update(); });
    Fill();
}

EventsWindow::~EventsWindow() {
    events.SetListener(nullptr);
}

QTreeWidgetItem* EventsWindow::NewRow(const MotionEvents::Event& event, bool withPicture) const {
    auto* row = new QTreeWidgetItem(
        {event.name, QLocale().toString(event.Start(), QLocale::ShortFormat), event.DurationText()});
    row->setData(0, kPathRole, event.itemPath);
    row->setData(0, kStartRole, QVariant::fromValue<qlonglong>(event.id));
    const QImage picture = withPicture ? events.PictureOf(event) : QImage();
    if (!picture.isNull())
        row->setIcon(0, QPixmap::fromImage(picture));
    return row;
}

void EventsWindow::Fill() {
    stale = false;
    list->clear();
    QList<QTreeWidgetItem*> rows;
    const std::deque<MotionEvents::Event>& all = events.Events();
    for (auto event = all.rbegin(); event != all.rend(); ++event)
        rows << NewRow(*event, rows.size() < kPictures);
    list->addTopLevelItems(rows);
}

void EventsWindow::Update() {
    if (!isVisible()) {
        stale = true; // filled again when shown
        return;
    }
    // The rows are the events, newest first: new events go on top, the picture of the row that
    // slips below the newest kPictures goes, and rows whose events were let go leave at the bottom.
    const std::deque<MotionEvents::Event>& all = events.Events();
    auto next = all.begin(); // the first event not listed yet: the one after the top row's
    if (list->topLevelItemCount() > 0) {
        const qlonglong top = list->topLevelItem(0)->data(0, kStartRole).toLongLong();
        const auto shown = std::find_if(all.rbegin(), all.rend(),
                                        [top](const MotionEvents::Event& e) { return e.id == top; });
        if (shown == all.rend()) {
            Fill();
            return;
        }
        next = shown.base();
    }
    for (; next != all.end(); ++next) {
        list->insertTopLevelItem(0, NewRow(*next, true));
        if (QTreeWidgetItem* older = list->topLevelItem(kPictures))
            older->setIcon(0, QIcon());
    }
    while (list->topLevelItemCount() > static_cast<int>(all.size()))
        delete list->takeTopLevelItem(list->topLevelItemCount() - 1);
    // The events that ended (a long one among many short ones too) and those of a camera that
    // moved: the rows that changed.
    for (int n = 0; n < list->topLevelItemCount(); ++n) {
        const MotionEvents::Event& event = all[all.size() - 1 - static_cast<size_t>(n)];
        QTreeWidgetItem* row = list->topLevelItem(n);
        const QString duration = event.DurationText();
        if (row->text(2) != duration)
            row->setText(2, duration);
        if (row->data(0, kPathRole).toString() != event.itemPath)
            row->setData(0, kPathRole, event.itemPath);
    }
}

void EventsWindow::showEvent(QShowEvent* event) {
    if (stale)
        Fill();
    QWidget::showEvent(event);
}

void EventsWindow::OpenCurrent() {
    const QTreeWidgetItem* row = list->currentItem();
    if (row && open)
        open(row->data(0, kPathRole).toString(), row->data(0, kStartRole).toLongLong());
}
