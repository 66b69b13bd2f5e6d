#include "tests/support/filesystemfaults.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

rlimit Limit(qint64 bytes, rlim_t hard) {
    return rlimit{static_cast<rlim_t>(bytes), hard};
}

// The calling thread's capabilities, through the system calls (no library needed).
bool GetCapabilities(__user_cap_data_struct (&data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capget, &header, data) == 0;
}

bool SetCapabilities(__user_cap_data_struct (&data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capset, &header, data) == 0;
}

} // namespace

FileSizeLimit::FileSizeLimit(qint64 bytes) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    EXPECT_EQ(sigaction(SIGXFSZ, &ignore, &previousAction), 0);
    EXPECT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const rlimit limit = Limit(bytes, previous.rlim_max);
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
}

FileSizeLimit::~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous);
    sigaction(SIGXFSZ, &previousAction, nullptr);
}

void LimitFileSizeOfChild(QProcess& process, qint64 bytes) {
    process.setChildProcessModifier([bytes] {
        // As after a shell's "ulimit -f": the program itself decides whether the signal ends it.
        signal(SIGXFSZ, SIG_DFL);
        const rlimit limit = Limit(bytes, static_cast<rlim_t>(bytes));
        setrlimit(RLIMIT_FSIZE, &limit);
    });
}

ReadOnlyFolder::ReadOnlyFolder(const QString& folder) : path(QFile::encodeName(folder)) {
    struct stat status {};
    EXPECT_EQ(stat(path.constData(), &status), 0);
    previousMode = status.st_mode & 07777;
    EXPECT_EQ(chmod(path.constData(), previousMode & ~0222u), 0);
    __user_cap_data_struct data[2] = {};
    if (geteuid() == 0 && GetCapabilities(data)) {
        previousEffective[0] = data[0].effective;
        previousEffective[1] = data[1].effective;
        data[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        capabilitiesDropped = SetCapabilities(data);
        EXPECT_TRUE(capabilitiesDropped);
    }
}

ReadOnlyFolder::~ReadOnlyFolder() {
    if (capabilitiesDropped) {
        __user_cap_data_struct data[2] = {};
        GetCapabilities(data);
        data[0].effective = previousEffective[0];
        data[1].effective = previousEffective[1];
        SetCapabilities(data);
    }
    chmod(path.constData(), previousMode);
}

bool MakeFifo(const QString& path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}
