#pragma once
// An exclusive advisory lock (flock) that writers of one file in several processes take on a
// lock file beside it ("<file>.lock"), so that a read-change-write by one of them is never
// overwritten by another's. The lock file is created when missing and left in place: removing
// it would let two writers lock two different files. For a file named through a symbolic link
// the lock file lies beside the link's final target, so that writers through the link and
// through the file's own name exclude each other.

#include <QString>

class FileLock {
  public:
    // How long Lock waits for another writer to finish.
    static constexpr int kWaitMs = 5000;

    // Locks nothing yet.
    explicit FileLock(const QString& filePath);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Takes the lock, waiting up to the lock wait; false, with what went wrong, when the lock
    // file cannot be created or opened or another writer holds the lock all that time.
    bool Lock(QString& reason);
    bool IsLocked() const { return fd >= 0; }
    // After a Lock that failed: whether another writer held the lock (trying later may work).
    bool HeldByAnother() const { return heldByAnother; }
    const QString& LockFilePath() const { return lockFilePath; }

  private:
    QString lockFilePath;
    int fd = -1; // open and locked, or -1
    bool heldByAnother = false;
};

// The wait of Lock: kWaitMs unless a test has shortened it.
int GetFileLockWaitMs();
void SetFileLockWaitMsForTest(int waitMs);
