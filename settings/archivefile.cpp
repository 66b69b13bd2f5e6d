#include "settings/archivefile.h"

#include "settings/archive.h"
#include "settings/node.h"

#include "foundation/log.h"
#include "platform/fs/dataroot.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>

namespace {
// Far beyond any collection: a settings file of this size is not read into memory.
constexpr qint64 kMaxFileSize = 256LL * 1024 * 1024;
} // namespace

LoadResult LoadArchiveFile(Node& node, const QString& filePath) {
    LoadResult result;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = LoadStatus::Absent;
        return result;
    }
    if (file.size() > kMaxFileSize) {
        result.status = LoadStatus::Damaged;
        result.errorOffset = 0;
        result.reason = QStringLiteral("the file is larger than any settings file (%1 bytes)").arg(file.size());
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.status = LoadStatus::Damaged;
        result.errorOffset = bytes.size();
        result.reason = file.errorString();
        return result;
    }
    file.close();

    ArchiveReader reader(bytes);
    if (!node.Serialize(reader)) {
        result.status = LoadStatus::Damaged;
        result.errorOffset = reader.ErrorOffset();
        result.reason = reader.ErrorReason();
        return result;
    }
    result.status = LoadStatus::Loaded;
    return result;
}

bool SaveArchiveFile(const Node& node, const QString& filePath, const char16_t* function, const char* logLine) {
    MakeParentFolder(filePath);
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    // The settings hold camera passwords.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    LogTrace(function, "%s", logLine);

    ArchiveWriter archive;
    node.Serialize(archive);
    const QByteArray& bytes = archive.Bytes();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting(); // the old file stays as it was
    }
    if (!file.commit()) {
        LogError(function, "Writing '%S' failed: %S", Wide(filePath), Wide(file.errorString()));
        return false;
    }
    return true;
}

QString KeepDamagedFile(const QString& filePath) {
    const QString stem =
        filePath + QStringLiteral(".damaged-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString target = stem;
    for (int i = 1; QFile::exists(target); ++i) {
        target = stem + QStringLiteral("-%1").arg(i);
    }
    return QFile::rename(filePath, target) ? target : QString();
}
