#include "app/shell/motionevents.h"

#include "foundation/log.h"
#include "foundation/text.h"
#include "platform/fs/filereplacement.h"

#include <QDir>
#include <QFileInfo>

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
    Read();
}

void MotionEvents::Read() {
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    std::map<int64_t, size_t> byId;
    // An event from the future is damage (or a clock set back): it would hold every later one there.
    const int64_t latest = QDateTime::currentMSecsSinceEpoch() + kFutureMs;
    while (!file.atEnd()) {
        QString line = QString::fromUtf8(file.readLine());
        if (line.endsWith(QLatin1Char('\n')))
            line.chop(1);
        const QStringList fields = line.split(QLatin1Char('\t'));
        ++lines;
        bool ok = false;
        const int64_t id = fields.value(1).toLongLong(&ok);
        if (!ok || id <= 0 || id > latest)
            continue;
        if (fields.size() == 4 && fields[0] == QLatin1String("S") && !byId.count(id)) {
            byId[id] = events.size();
            events.push_back(Event{id, fields[2], fields[3], -1});
        } else if (fields.size() == 3 && fields[0] == QLatin1String("E") && byId.count(id)) {
            events[byId[id]].durationMs = std::max<int64_t>(0, fields[2].toLongLong());
        }
    }
    file.close();
    std::sort(events.begin(), events.end(), [](const Event& a, const Event& b) { return a.id < b.id; });
    while (events.size() > kMaxEvents) {
        QFile::remove(PictureFile(events.front().id));
        events.pop_front();
    }
}

void MotionEvents::Started(const QString& itemPath, const QString& name, const QImage& picture) {
    UnderWay& camera = underWay[itemPath];
    if (camera.views++ > 0) {
        // Another view of the camera saw it first; it may have had no picture to give.
        if (!picture.isNull() && !QFileInfo::exists(PictureFile(camera.id)))
            SavePicture(camera.id, picture);
        return;
    }
    int64_t id = QDateTime::currentMSecsSinceEpoch();
    if (!events.empty())
        id = std::max(id, events.back().id + 1);
    camera.id = id;
    events.push_back(Event{id, itemPath, name, -1});
    if (!picture.isNull())
        SavePicture(id, picture);
    Append(StartLine(events.back()));
    Trim();
    if (listener)
        listener();
}

void MotionEvents::Ended(const QString& itemPath) {
    const auto found = underWay.find(itemPath);
    if (found == underWay.end() || --found->second.views > 0)
        return;
    const int64_t id = found->second.id;
    underWay.erase(found);
    const auto event =
        std::find_if(events.rbegin(), events.rend(), [id](const Event& e) { return e.id == id; });
    if (event == events.rend())
        return; // trimmed away already
    event->durationMs = std::max<int64_t>(0, QDateTime::currentMSecsSinceEpoch() - id);
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

void MotionEvents::Append(const QString& line) {
    if (!file.isOpen() && !OpenForAppending()) {
        if (!failed)
            LogError(kLog, "The motion events cannot be kept in '%S': %S", Wide(file.fileName()),
                     Wide(file.errorString()));
        failed = true;
        return;
    }
    const QByteArray bytes = line.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        if (!failed)
            LogError(kLog, "The motion events cannot be kept in '%S': %S", Wide(file.fileName()),
                     Wide(file.errorString()));
        failed = true;
        return;
    }
    ++lines;
}

bool MotionEvents::OpenForAppending() {
    if (!QDir().mkpath(folder) || !file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Text))
        return false;
    // A line cut short (the power went) is ended first, so that it does not take the next one.
    if (file.size() > 0 && file.seek(file.size() - 1) && file.peek(1) != "\n") {
        file.seek(file.size());
        file.write("\n");
    }
    return true;
}

void MotionEvents::Trim() {
    if (events.size() > kMaxEvents) {
        QFile::remove(PictureFile(events.front().id));
        events.pop_front();
    }
    if (lines < 2 * kLinesAnEvent * kMaxEvents)
        return; // written anew only once it holds twice what the events kept need
    QByteArray kept;
    for (const Event& event : events) {
        kept += StartLine(event).toUtf8();
        if (event.durationMs >= 0)
            kept += EndLine(event.id, event.durationMs).toUtf8();
    }
    file.close();
    QString reason;
    FileReplacement replacement(file.fileName());
    if (!replacement.Create(reason) || !replacement.Write(kept, reason) || !replacement.Commit(reason)) {
        LogError(kLog, "The motion events could not be written anew: %S", Wide(reason));
        return; // the old file stays as it was, and is added to
    }
    lines = static_cast<size_t>(kept.count('\n'));
}
