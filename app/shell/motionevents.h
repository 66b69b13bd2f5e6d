#pragma once
// The motion events the viewer has seen, oldest first: the camera, when motion started, how long
// it lasted, and a small picture of the moment. A camera shown in several views at once (its
// tile and the camera view) makes one event, from the first view's start to the last one's end.
//
// They are kept in <folder>/motionevents.txt, a line for each start and each end, written and
// flushed as it happens, so that a crash loses at most the end of the event under way (read
// back, such an event has no duration). The file keeps the newest kMaxEvents: once it holds
// twice the lines they need it is written anew, whole, through a temporary file. The pictures are
// files of their own (<folder>/motionevents/<event>.jpg), deleted with their event. Damaged
// lines are skipped; a file that cannot be written is logged once and the events are still
// listed.
//
// The events are in the order they happened, which is that of their starts unless the clock was
// set back: a start is the clock's time then, and durations are measured on a clock that never
// steps. Viewers that share the folder add to one file: each writes under its lock, opens the file
// again when another has written it anew, and writes it anew from what the file holds.
//
// UI thread only.

#include "platform/fs/filelock.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>

class MotionEvents {
  public:
    static constexpr size_t kMaxEvents = 10000;
    static constexpr int kPictureWidth = 160;
    static constexpr size_t kLinesAnEvent = 2;            // its start and its end
    static constexpr int64_t kLatestId = 253402300799999; // 9999-12-31 23:59:59.999: a later one is damage
    static constexpr int64_t kAheadMs =
        60 * 1000; // a start further ahead of the clock is from before it was set back

    struct Event {
        int64_t id = 0;          // the start in ms since 1970, made unique
        QString itemPath;        // the camera's place in the collection
        QString name;            // its name then
        int64_t durationMs = -1; // -1: under way, or unknown
        QString DurationText() const;
        QDateTime Start() const { return QDateTime::fromMSecsSinceEpoch(id); }
    };

    // Reads the events kept in the folder.
    explicit MotionEvents(const QString& folder);

    // Motion started or ended in a view of the camera; picture: what the view shows at the start.
    // True when it is a new event: no other view of the camera sees its motion.
    bool Started(const QString& itemPath, const QString& name, const QImage& picture);
    void Ended(const QString& itemPath);

    const std::deque<Event>& Events() const { return events; }
    // The picture of an event (null when there is none).
    QImage PictureOf(const Event& event) const;
    // An item was renamed or moved: the events of the cameras at from, or under it, are theirs
    // at to, here and in the file.
    void FollowMove(const QString& from, const QString& to);
    // Called after each change, for a window that lists the events.
    void SetListener(std::function<void()> changed) { listener = std::move(changed); }

  private:
    struct UnderWay {
        int64_t id = 0;
        int views = 0;
        QElapsedTimer since;
    };

    // The lock of the file's writers, held while it lives (or nothing, when it cannot be had).
    struct Locked {
        explicit Locked(const QString& path);
        FileLock lock;
    };

    // The events the file holds, in its order, and how many lines it has.
    static std::deque<Event> Read(QFile& file, size_t& lines);
    // The events started last in the file, by whichever viewer.
    std::set<int64_t> RecentStarts() const;
    void LetOldestGo();
    bool OpenForAppending();
    // Logged once: the events are listed, but no longer kept in the file.
    void CannotKeep(const QString& why);
    // Whether the file open is no longer the one of its name (another viewer wrote it anew).
    bool Replaced() const;
    void Append(const QString& line);
    void SavePicture(int64_t id, const QImage& picture);
    // When the file holds too many lines: the newest kMaxEvents, written anew.
    void Trim();
    // The file written anew with the newest kMaxEvents it holds, each at the place given.
    void WriteAnew(const std::function<QString(const QString&)>& placeOf);
    QString PictureFile(int64_t id) const;

    const QString folder;
    std::deque<Event> events;
    std::set<int64_t> ids;                // of the events
    std::map<QString, UnderWay> underWay; // by item path
    QFile file;
    size_t lines = 0;
    bool failed = false;
    std::function<void()> listener;
};
