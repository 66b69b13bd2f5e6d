#include "platform/fs/filelock.h"

#include "platform/fs/linktarget.h"
#include "platform/fs/systemerror.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

namespace {

std::atomic<int> waitMs{FileLock::kWaitMs};
// flock cannot wait with a bound: the lock is tried again at this interval.
constexpr auto kRetryInterval = std::chrono::milliseconds(10);

} // namespace

int GetFileLockWaitMs() {
    return waitMs;
}

void SetFileLockWaitMsForTest(int newWaitMs) {
    waitMs = newWaitMs;
}

FileLock::FileLock(const QString& filePath)
    : lockFilePath(FinalLinkTarget(filePath) + QStringLiteral(".lock")) {}

FileLock::~FileLock() {
    if (fd >= 0)
        ::close(fd); // releases the lock
}

bool FileLock::Lock(QString& reason) {
    if (fd >= 0)
        return true;
    heldByAnother = false;
    const QByteArray path = QFile::encodeName(lockFilePath);
    int opened = ::open(path.constData(), O_RDWR | O_CLOEXEC);
    if (opened < 0 && errno == ENOENT) {
        opened = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (opened < 0) {
            reason = QStringLiteral("the lock file '%1' cannot be created (%2)")
                         .arg(lockFilePath, SystemErrorText(errno));
            return false;
        }
    }
    if (opened < 0) {
        reason = QStringLiteral("the lock file '%1' cannot be opened (%2)")
                     .arg(lockFilePath, SystemErrorText(errno));
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(GetFileLockWaitMs());
    for (;;) {
        if (::flock(opened, LOCK_EX | LOCK_NB) == 0) {
            fd = opened;
            return true;
        }
        const int error = errno;
        if (error != EWOULDBLOCK && error != EINTR) {
            ::close(opened);
            reason = QStringLiteral("the lock file '%1' cannot be locked (%2)")
                         .arg(lockFilePath, SystemErrorText(error));
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(kRetryInterval);
    }
    ::close(opened);
    heldByAnother = true;
    reason = QStringLiteral("another program is changing it and still holds '%1' after %2 s")
                 .arg(lockFilePath, QString::number(GetFileLockWaitMs() / 1000.0));
    return false;
}
