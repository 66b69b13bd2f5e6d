#include "recording/retention.h"

#include "foundation/log.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace {

// A clip saved from the last seconds: "<name>-hhmmss-clip.mkv", or "-clip-N.mkv" for another of the
// same second; not a recording of a camera whose name ends in "-clip" ("<name>-hhmmss.mkv").
bool IsClip(const QFileInfo& file) {
    static const QRegularExpression clip(QStringLiteral("-[0-9]{6}-clip(-[0-9]+)?$"));
    return clip.match(file.completeBaseName()).hasMatch();
}

} // namespace

int KeepWithinLimits(const QString& folder, int64_t keepBytes, int keepDays, const QStringList& writing,
                     const QDateTime& now) {
    std::vector<QFileInfo> files;
    int64_t total = 0;
    // Only the recordings: the files of the day folders, never what the user put beside them nor
    // what a link leads to elsewhere.
    const QDir root(folder);
    for (const QFileInfo& day :
         root.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name)) {
        if (!QDate::fromString(day.fileName(), QStringLiteral("yyyy-MM-dd")).isValid())
            continue;
        QDir recordings(day.filePath(), QStringLiteral("*.mkv"), QDir::Name,
                        QDir::Files | QDir::NoSymLinks | QDir::CaseSensitive);
        for (const QFileInfo& file : recordings.entryInfoList()) {
            if (IsClip(file))
                continue; // saved by the user to be kept: neither counted nor deleted
            files.push_back(file);
            total += file.size();
        }
    }
    std::sort(files.begin(), files.end(),
              [](const QFileInfo& a, const QFileInfo& b) { return a.lastModified() < b.lastModified(); });
    const QDateTime oldest = now.addDays(-keepDays);
    int deleted = 0;
    for (const QFileInfo& file : files) {
        const bool tooMuch = keepBytes > 0 && total > keepBytes;
        const bool tooOld = keepDays > 0 && file.lastModified() < oldest;
        if (!tooMuch && !tooOld)
            break; // the rest are newer
        if (std::any_of(writing.begin(), writing.end(),
                        [&file](const QString& w) { return QFileInfo(w) == file; }))
            continue;
        const bool removed = QFile::remove(file.filePath());
        if (!removed && QFile::exists(file.filePath())) {
            LogWarning(u"KeepWithinLimits", "Could not delete the old recording '%S'", Wide(file.filePath()));
            continue;
        }
        total -= file.size(); // deleted here, or by another pass over the folder
        if (!removed)
            continue;
        LogInfo(u"KeepWithinLimits", "Deleted the old recording '%S' (%s)", Wide(file.filePath()),
                tooOld ? "older than the days kept" : "beyond the space kept");
        ++deleted;
        root.rmdir(file.dir().dirName()); // only when it is empty
    }
    return deleted;
}
