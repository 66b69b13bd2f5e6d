#include "app/shell/motionevents.h"

#include "foundation/log.h"
#include "foundation/text.h"
#include "platform/fs/filelock.h"
#include "platform/fs/filereplacement.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

#include <algorithm>

namespace {

constexpr char16_t kLog[] = u"MotionEvents";

// A line's fields are separated by tabs; a name's own tabs and line ends become spaces.
QString Field(QString text) {
    for (QChar& c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    return text;
}

QString StartLine(const MotionEvents::Event& event) {
    return QStringLiteral("S\t%1\t%2\t%3\n").arg(event.id).arg(Field(event.itemPath), Field(event.name));
}

QString EndLine(int64_t id, int64_t durationMs) {
    return QStringLiteral("E\t%1\t%2\n").arg(id).arg(durationMs);
}

// Absent or a regular file: a FIFO or a device under the file's name would block or never end.
bool Openable(const QString& path) {
    const QFileInfo info(path);
    return !info.exists() || info.isFile();
}

} // namespace

QString MotionEvents::Event::DurationText() const {
    if (durationMs < 0)
        return QStringLiteral("\u2014");
    const int64_t seconds = (durationMs + 500) / 1000;
    return seconds < 60 ? QStringLiteral("%1 s").arg(seconds)
                        : QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
}

MotionEvents::MotionEvents(const QString& eventsFolder)
    : folder(eventsFolder), file(eventsFolder + QStringLiteral("/motionevents.txt")) {
    events = Read(file, lines);
    for (const Event& event : events)
        ids.insert(event.id);
    while (events.size() > kMaxEvents)
        LetOldestGo();
}

void MotionEvents::LetOldestGo() {
    QFile::remove(PictureFile(events.front().id));
    ids.erase(events.front().id);
    events.pop_front();
}

std::deque<MotionEvents::Event> MotionEvents::Read(QFile& file, size_t& lines) {
    std::deque<Event> read;
    lines = 0;
    if (!Openable(file.fileName()) || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return read;
    std::map<int64_t, size_t> byId;
    while (!file.atEnd()) {
        QString line = QString::fromUtf8(file.readLine());
        ++lines;
        if (!line.endsWith(QLatin1Char('\n')))
            continue; // cut short as it was written
        line.chop(1);
        const QStringList fields = line.split(QLatin1Char('\t'));
        bool ok = false;
        const int64_t id = fields.value(1).toLongLong(&ok);
        if (!ok || id <= 0 || id > kLatestId)
            continue;
        if (fields.size() == 4 && fields[0] == QLatin1String("S") && !byId.count(id)) {
            byId[id] = read.size();
            read.push_back(Event{id, fields[2], fields[3], -1});
        } else if (fields.size() == 3 && fields[0] == QLatin1String("E") && byId.count(id)) {
            const int64_t duration = fields[2].toLongLong(&ok);
            if (ok)
                read[byId[id]].durationMs = std::max<int64_t>(0, duration);
        }
    }
    file.close();
    return read;
}

bool MotionEvents::Started(const QString& itemPath, const QString& name, const QImage& picture) {
    UnderWay& camera = underWay[itemPath];
    if (camera.views++ > 0) {
        // Another view of the camera saw it first; it may have had no picture to give.
        if (!picture.isNull() && !QFileInfo::exists(PictureFile(camera.id)))
            SavePicture(camera.id, picture);
        return false;
    }
    {
        const Locked writers(file.fileName());
        // Unique among this viewer's events and the newest of another's in the file.
        const std::set<int64_t> recent = RecentStarts();
        const int64_t now = QDateTime::currentMSecsSinceEpoch();
        const int64_t newest =
            std::max(recent.empty() ? 0 : *recent.rbegin(), events.empty() ? 0 : events.back().id);
        // After the newest, unless that is from before the clock was set back.
        int64_t id = newest >= now && newest - now < kAheadMs ? newest + 1 : now;
        while (ids.count(id) || recent.count(id))
            ++id;
        camera.id = id;
        camera.since.start();
        ids.insert(id);
        events.push_back(Event{id, itemPath, name, -1});
        if (!picture.isNull())
            SavePicture(id, picture);
        Append(StartLine(events.back()));
    }
    Trim();
    if (listener)
        listener();
    return true;
}

void MotionEvents::Ended(const QString& itemPath) {
    const auto found = underWay.find(itemPath);
    if (found == underWay.end() || --found->second.views > 0)
        return;
    const int64_t id = found->second.id;
    const int64_t lasted = found->second.since.elapsed();
    underWay.erase(found);
    const auto event =
        std::find_if(events.rbegin(), events.rend(), [id](const Event& e) { return e.id == id; });
    if (event == events.rend())
        return; // trimmed away already
    event->durationMs = lasted;
    const Locked writers(file.fileName());
    Append(EndLine(id, event->durationMs));
    if (listener)
        listener();
}

QImage MotionEvents::PictureOf(const Event& event) const {
    return QImage(PictureFile(event.id));
}

void MotionEvents::SavePicture(int64_t id, const QImage& picture) {
    if (QDir().mkpath(folder + QStringLiteral("/motionevents")))
        picture.scaledToWidth(kPictureWidth, Qt::SmoothTransformation).save(PictureFile(id), "JPEG", 80);
}

QString MotionEvents::PictureFile(int64_t id) const {
    return folder + QStringLiteral("/motionevents/%1.jpg").arg(id);
}

MotionEvents::Locked::Locked(const QString& path) : lock(path) {
    QString reason;
    lock.Lock(reason); // without it, written all the same: only a writing anew could lose a line
}

std::set<int64_t> MotionEvents::RecentStarts() const {
    constexpr qint64 kTailBytes = 4096;
    std::set<int64_t> starts;
    QFile named(file.fileName());
    if (!Openable(named.fileName()) || !named.open(QIODevice::ReadOnly) ||
        !named.seek(std::max<qint64>(0, named.size() - kTailBytes)))
        return starts;
    for (const QByteArray& line : named.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() == 4 && fields[0] == "S")
            starts.insert(fields[1].toLongLong());
    }
    return starts;
}

void MotionEvents::Append(const QString& line) {
    if (file.isOpen() && Replaced())
        file.close();
    if (!file.isOpen() && !OpenForAppending()) {
        CannotKeep(Openable(file.fileName()) ? file.errorString() : QStringLiteral("not a regular file"));
        return;
    }
    const QByteArray bytes = line.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        CannotKeep(file.errorString());
        return;
    }
    ++lines;
}

void MotionEvents::CannotKeep(const QString& why) {
    if (!failed)
        LogError(kLog, "The motion events cannot be kept in '%S': %S", Wide(file.fileName()), Wide(why));
    failed = true;
}

bool MotionEvents::OpenForAppending() {
    if (!Openable(file.fileName()))
        return false;
    if (!QDir().mkpath(folder) || !file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Text))
        return false;
    // A line cut short (the power went) is ended first, so that it does not take the next one, with
    // a field more than any whole line has, so that it is never read as one.
    if (file.size() > 0 && file.seek(file.size() - 1) && file.peek(1) != "\n") {
        file.seek(file.size());
        file.write("\t\n");
    }
    return true;
}

bool MotionEvents::Replaced() const {
    struct stat open {};
    struct stat named {};
    return ::fstat(file.handle(), &open) != 0 ||
           ::stat(QFile::encodeName(file.fileName()).constData(), &named) != 0 ||
           open.st_ino != named.st_ino || open.st_dev != named.st_dev;
}

void MotionEvents::Trim() {
    if (events.size() > kMaxEvents)
        LetOldestGo();
    if (lines < 2 * kLinesAnEvent * kMaxEvents)
        return; // written anew only once it holds twice what the events kept need
    WriteAnew([](const QString& path) { return path; });
}

void MotionEvents::FollowMove(const QString& from, const QString& to) {
    const auto placeOf = [&](const QString& path) {
        return path == from || path.startsWith(from + QLatin1Char('/')) ? to + path.mid(from.size()) : path;
    };
    for (Event& event : events)
        event.itemPath = placeOf(event.itemPath);
    WriteAnew(placeOf);
    if (listener)
        listener();
}

void MotionEvents::WriteAnew(const std::function<QString(const QString&)>& placeOf) {
    if (!QFileInfo(file.fileName()).isFile())
        return; // none kept yet, or not the viewer's to replace (a FIFO, a device)
    QString reason;
    FileLock writers(file.fileName());
    if (!writers.Lock(reason)) {
        LogError(kLog, "The motion events could not be written anew: %S", Wide(reason));
        return; // added to as it is, and tried again at the next event
    }
    file.close();
    // What the file holds, another viewer's events with this one's.
    std::deque<Event> kept = Read(file, lines);
    while (kept.size() > kMaxEvents) {
        if (!ids.count(kept.front().id))
            QFile::remove(PictureFile(kept.front().id));
        kept.pop_front();
    }
    QByteArray bytes;
    for (Event& event : kept) {
        event.itemPath = placeOf(event.itemPath);
        bytes += StartLine(event).toUtf8();
        if (event.durationMs >= 0)
            bytes += EndLine(event.id, event.durationMs).toUtf8();
    }
    FileReplacement replacement(file.fileName());
    if (!replacement.Create(reason) || !replacement.Write(bytes, reason) || !replacement.Commit(reason)) {
        LogError(kLog, "The motion events could not be written anew: %S", Wide(reason));
        return; // the old file stays as it was, and is added to
    }
    lines = static_cast<size_t>(bytes.count('\n'));
}
