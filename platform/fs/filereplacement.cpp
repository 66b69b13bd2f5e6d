#include "platform/fs/filereplacement.h"

#include "platform/fs/linktarget.h"
#include "platform/fs/systemerror.h"

#include <QFile>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

FileReplacement::FileReplacement(const QString& filePath) : filePath(FinalLinkTarget(filePath)) {}

FileReplacement::~FileReplacement() {
    Discard();
}

void FileReplacement::Discard() {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
    if (!temporaryPath.isEmpty())
        ::unlink(temporaryPath.constData());
    temporaryPath.clear();
}

bool FileReplacement::Fail(const QString& step, int error, QString& reason) {
    reason = QStringLiteral("%1 (%2)").arg(step, SystemErrorText(error));
    failed = true;
    Discard();
    return false;
}

bool FileReplacement::Create(QString& reason) {
    if (failed || fd >= 0)
        return Fail(QStringLiteral("creating the new file"), EINVAL, reason);
    // A file that may not be written is not replaced behind its owner's back.
    const QByteArray target = QFile::encodeName(filePath);
    struct stat existing {};
    if (::stat(target.constData(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode))
            return Fail(QStringLiteral("opening it for writing"), EISDIR, reason);
        if (::access(target.constData(), W_OK) != 0)
            return Fail(QStringLiteral("opening it for writing"), errno, reason);
    } else if (errno != ENOENT) {
        // A chain of links without end, say: renaming over its last link would break it.
        return Fail(QStringLiteral("opening it for writing"), errno, reason);
    }
    // mkostemp makes the file with mode 0600: the settings hold camera passwords.
    QByteArray name = target + ".XXXXXX";
    const int created = ::mkostemp(name.data(), O_CLOEXEC);
    if (created < 0)
        return Fail(QStringLiteral("creating a new file beside it"), errno, reason);
    fd = created;
    temporaryPath = name;
    return true;
}

bool FileReplacement::Write(const QByteArray& bytes, QString& reason) {
    if (failed || fd < 0)
        return Fail(QStringLiteral("writing"), EBADF, reason);
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t count =
            ::write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            // A write that takes nothing without an error would loop for ever.
            const int error = count < 0 ? errno : ENOSPC;
            return Fail(QStringLiteral("writing stopped after %1 of %2 bytes")
                            .arg(QString::number(written), QString::number(bytes.size())),
                        error, reason);
        }
        written += count;
    }
    return true;
}

bool FileReplacement::Commit(QString& reason) {
    if (failed || fd < 0)
        return Fail(QStringLiteral("committing"), EBADF, reason);
    // Space that a file system only reserves shows its shortage here, not at the write.
    if (::fsync(fd) != 0)
        return Fail(QStringLiteral("syncing the new file to disk"), errno, reason);
    const int closing = fd;
    fd = -1;
    if (::close(closing) != 0)
        return Fail(QStringLiteral("closing the new file"), errno, reason);
    if (::rename(temporaryPath.constData(), QFile::encodeName(filePath).constData()) != 0)
        return Fail(QStringLiteral("renaming the new file over it"), errno, reason);
    temporaryPath.clear();
    return true;
}
