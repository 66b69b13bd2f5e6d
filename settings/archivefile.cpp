#include "settings/archivefile.h"

#include "settings/archive.h"
#include "settings/node.h"

#include "foundation/log.h"
#include "platform/fs/dataroot.h"
#include "platform/fs/filelock.h"
#include "platform/fs/filereplacement.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Far beyond any collection: a settings file of this size is not read into memory.
constexpr qint64 kMaxFileSize = 256LL * 1024 * 1024;

QString NotARegularFile(mode_t mode) {
    const char* kind = S_ISFIFO(mode)                   ? "a FIFO"
                       : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                       : S_ISDIR(mode)                  ? "a folder"
                                                        : "something else";
    return QStringLiteral("not a regular file but %1").arg(QLatin1String(kind));
}
} // namespace

LoadResult LoadArchiveFile(Node& node, const QString& filePath) {
    LoadResult result;
    // Opened without waiting, so that a FIFO never blocks, and read only when it is a regular
    // file: a FIFO or a device has no size to check and may never end.
    const int descriptor = ::open(QFile::encodeName(filePath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        // Only a file that is not there is absent: one that is there but cannot be read (its
        // permissions, a loop of links) is the user's all the same, and is never saved over.
        const int error = errno;
        result.status = error == ENOENT ? LoadStatus::Absent : LoadStatus::Damaged;
        result.reason =
            QStringLiteral("it cannot be opened (%1)").arg(QString::fromLocal8Bit(strerror(error)));
        return result;
    }
    struct stat info = {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(descriptor);
        result.status = LoadStatus::Damaged;
        result.errorOffset = 0;
        result.reason = NotARegularFile(info.st_mode);
        return result;
    }
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        result.status = LoadStatus::Damaged;
        result.reason = file.errorString();
        return result;
    }
    if (file.size() > kMaxFileSize) {
        result.status = LoadStatus::Damaged;
        result.errorOffset = 0;
        result.reason =
            QStringLiteral("the file is larger than any settings file (%1 bytes)").arg(file.size());
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

SaveResult WriteArchiveFile(const Node& node, const QString& filePath, const char16_t* function,
                            const char* logLine) {
    SaveResult result;
    FileReplacement file(filePath);
    if (!file.Create(result.reason)) {
        return result;
    }
    result.created = true;
    LogTrace(function, "%s", logLine);

    ArchiveWriter archive;
    node.Serialize(archive);
    result.saved = file.Write(archive.Bytes(), result.reason) && file.Commit(result.reason);
    return result;
}

bool SaveArchiveFile(const Node& node, const QString& filePath, const char16_t* function, const char* logLine,
                     const std::function<void()>& beforeWrite, const std::function<void()>& afterWrite) {
    MakeParentFolder(filePath);
    FileLock lock(filePath);
    QString reason;
    if (!lock.Lock(reason)) {
        LogError(function, "'%S' not written: %S", Wide(filePath), Wide(reason));
        return false;
    }
    if (beforeWrite)
        beforeWrite();
    const SaveResult result = WriteArchiveFile(node, filePath, function, logLine);
    if (result.created && !result.saved) {
        LogError(function, "Writing '%S' failed, the file is unchanged: %S", Wide(filePath),
                 Wide(result.reason));
    }
    if (result.saved && afterWrite)
        afterWrite();
    return result.saved;
}

QString KeepDamagedFile(const QString& filePath) {
    // A FIFO or a device under the file's name is not the viewer's to move.
    if (!QFileInfo(filePath).isFile())
        return QString();
    const QString stem = filePath + QStringLiteral(".damaged-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString target = stem;
    for (int i = 1; QFile::exists(target); ++i) {
        target = stem + QLatin1Char('-') + QString::number(i);
    }
    return QFile::rename(filePath, target) ? target : QString();
}
