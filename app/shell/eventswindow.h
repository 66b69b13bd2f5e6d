#pragma once
// The Motion Events window (Tools menu): the motion events, newest first, each with its camera,
// start, duration and the small picture of its moment. It follows the events as they come; a
// double click (or Enter) on one shows the camera at that moment.
//
// UI thread only.

#include <QWidget>

#include <functional>

class MotionEvents;
class QTreeWidget;

class EventsWindow : public QWidget {
  public:
    // The newest kPictures events show their picture.
    static constexpr int kPictures = 200;

    EventsWindow(QWidget* parent, MotionEvents& events, std::function<void(const QString&, int64_t)> open);
    ~EventsWindow() override;

    QTreeWidget* List() const { return list; }
    // Lists the events afresh.
    void Fill();

  private:
    void OpenCurrent();

    MotionEvents& events;
    std::function<void(const QString&, int64_t)> open;
    QTreeWidget* list;
};
