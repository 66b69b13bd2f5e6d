#pragma once
// The Motion Events window (Tools menu): the motion events, newest first, each with its camera,
// start, duration and the small picture of its moment (the newest kPictures). While it shows, it
// follows the events as they come, row by row; hidden, it is filled afresh when shown again. A
// double click (or Enter) on one shows the camera at that moment.
//
// UI thread only.

#include "app/shell/motionevents.h"

#include <QWidget>

#include <functional>

class QTreeWidget;
class QTreeWidgetItem;

class EventsWindow : public QWidget {
  public:
    // The newest kPictures events show their picture.
    static constexpr int kPictures = 200;

    EventsWindow(QWidget* parent, MotionEvents& events, std::function<void(const QString&, int64_t)> open);
    ~EventsWindow() override;

    QTreeWidget* List() const { return list; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // Lists the events afresh.
    void Fill();
    // The events changed: a new one, one that ended, or a camera's place in the collection.
    void Update();
    QTreeWidgetItem* NewRow(const MotionEvents::Event& event, bool withPicture) const;
    void OpenCurrent();

    MotionEvents& events;
    std::function<void(const QString&, int64_t)> open;
    QTreeWidget* list;
    bool stale = false;
};
