#include "app/shell/picturefile.h"

#include "app/resources/resource.h"

#include "foundation/text.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

constexpr qsizetype kMaxNameLength = 100;

} // namespace

QString SafeFileName(const QString& name) {
    QString safe;
    for (const QChar c : name) {
        const bool unsafe =
            c.unicode() < 0x20 || c.unicode() == 0x7F || QStringLiteral("/\\:*?\"<>|").contains(c);
        safe += unsafe ? QLatin1Char('_') : c;
    }
    safe = safe.trimmed();
    while (safe.startsWith(QLatin1Char('.')))
        safe.remove(0, 1);
    safe = safe.left(kMaxNameLength).trimmed();
    return safe.isEmpty() ? QStringLiteral("Camera") : safe;
}

bool SavePictureFile(const QByteArray& bytes, const QString& itemName, const QDateTime& when, QString& path,
                     QString& error) {
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty())
        pictures = QDir::homePath();
    const QString folder = QDir(pictures).filePath(QStringLiteral("Lumenfold"));
    const QString stem = QDir(folder).filePath(SafeFileName(itemName) + QLatin1Char('-') +
                                               when.toString(QStringLiteral("yyyyMMdd-hhmmss")));
    path = stem + QStringLiteral(".jpg");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = stem + QStringLiteral("-%1.jpg").arg(n);
    if (!QDir().mkpath(folder)) {
        error = LoadResText(Str::FolderNotCreated);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}
