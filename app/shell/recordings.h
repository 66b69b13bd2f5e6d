#pragma once
// The cameras the viewer records, each by a RecordedCamera of its own, so that a recording goes
// on whatever is on screen. Which items record is kept in the settings ("/Recording/Cameras", an
// item path a line) and recording starts again at the next start. A camera's recordings go to
// <videos>/Lumenfold/<safe camera name>/<yyyy-MM-dd>/<safe camera name>-<hhmmss>.mkv (the user's
// videos folder, else the home folder; "/Recording/Folder" names another), within
// "/Recording/KeepGiB" (20) and "/Recording/KeepDays" (14) a camera. Keys older viewers ignore.
// A recording that stops by itself is logged and, unless the viewer runs unattended, told once
// in a message box; the camera view's mark then says why, and the tile's dot turns grey. A camera whose
// Motion page asks for recording on motion (MotionOptions) is recorded the same way, into the same folder,
// but only from some seconds before each motion to some seconds after; FollowMotionSettings starts and stops
// those as the settings say.
//
// UI thread only.

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class MotionAlerts;
class RecordedCamera;

class Recordings {
  public:
    // Messages go to window; the recorded cameras' motion to alerts (none: nowhere); changed is
    // told when a recording has stopped by itself (after its message) and when it is tried again.
    Recordings(QWidget* window, MotionAlerts* alerts, std::function<void()> changed = {});
    ~Recordings();

    // Starts recording the items kept in the settings (those still there), and those that record
    // on motion.
    void Resume();
    // Records on motion the items whose settings ask for it now, and no others.
    void FollowMotionSettings();
    // The collection was changed: the items under from (a camera or folder, when one was renamed
    // or moved) are now under to. A recording goes on under the item's new path, begins again
    // when its name, address, user name or password changed, and ends when the item is gone;
    // then FollowMotionSettings.
    void FollowCollection(const QString& from = QString(), const QString& to = QString());
    // Recorded all the time (not only on motion).
    bool IsRecorded(const QString& path) const;
    // Why the recording of the item stopped by itself (a full disk, a password); empty while it
    // goes on, and for an item not recorded.
    QString StoppedBecause(const QString& path) const;
    // Starts or stops recording the item, and keeps which are recorded; true when it records now.
    bool Toggle(const QString& path);
    std::vector<const RecordedCamera*> Cameras() const;
    // Where the cameras' folders are.
    static QString Root();
    // The folder of the camera or site at itemPath, named after it; when another item of the
    // collection has a name that makes the same folder name, a short mark of its path is added,
    // so that each camera's folder, and its limits, are its own. Once the item was recorded, its
    // folder stays that one while the item keeps its name ("/Recording/Folders").
    static QString FolderOf(const QString& itemPath);

  private:
    void Start(const QString& path);
    std::unique_ptr<RecordedCamera> Record(const QString& path, bool onMotion);
    void Keep() const;
    // Keeps the folder the item records into as its own.
    static void GiveFolder(const QString& itemPath);

    QPointer<QWidget> window; // for the messages
    const std::function<void()> changed;
    MotionAlerts* alerts;
    std::map<QString, std::unique_ptr<RecordedCamera>> cameras;
    std::map<QString, std::unique_ptr<RecordedCamera>> onMotion; // those not in cameras
};
