#pragma once
// File system failures for tests, made for real without mounting anything.

#include <QByteArray>
#include <QString>

#include <sys/resource.h>

#include <csignal>

class QProcess;

// Writes past the given size fail with EFBIG ("File too large"), as they fail on a full disk:
// the file-size limit of this process (RLIMIT_FSIZE), with SIGXFSZ ignored so that the write
// reports the failure instead of ending the process. Until the object ends.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit previous{};
    struct sigaction previousAction {};
};

// The same limit for a program that the process starts, applied in the child before it runs,
// with SIGXFSZ at its default action, as a shell's "ulimit -f" leaves it.
void LimitFileSizeOfChild(QProcess& process, qint64 bytes);

// A FIFO under that name, which a reader or writer without its other end waits on for ever:
// what a file the program opens must never be taken for.
bool MakeFifo(const QString& path);

// Makes a folder unwritable for the calling thread until the object ends: its mode loses the
// write bits and, when the tests run as root, the thread sets aside the capabilities that
// would let it write there anyway.
class ReadOnlyFolder {
  public:
    explicit ReadOnlyFolder(const QString& path);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

  private:
    QByteArray path;
    unsigned previousMode = 0;
    bool capabilitiesDropped = false;
    unsigned previousEffective[2] = {};
};
