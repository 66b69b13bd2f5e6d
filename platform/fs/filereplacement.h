#pragma once
// Replaces a file's contents so that nothing is ever lost: the new contents go into a temporary
// file in the same folder, which is synced and then renamed over the old file. Every step is
// checked; on any failure the temporary file is removed and the old file stays byte for byte
// as it was. The file is readable and writable by its owner only. A path that is a symbolic
// link is followed to its final target, which is replaced: the link stays as it was.
//
//   FileReplacement replacement(path);
//   if (!replacement.Create(reason)) ...       // nothing was written
//   if (!replacement.Write(bytes, reason) || !replacement.Commit(reason)) ...

#include <QByteArray>
#include <QString>

class FileReplacement {
  public:
    explicit FileReplacement(const QString& filePath);
    // Removes the temporary file unless it was committed.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Each returns false with the reason (the step and the system's own words) on failure;
    // after a failure every later call fails too. Create also fails when the file exists but
    // is a folder or may not be written.
    bool Create(QString& reason);
    bool Write(const QByteArray& bytes, QString& reason);
    // Syncs and closes the temporary file, then renames it over the file (the link's target).
    bool Commit(QString& reason);

  private:
    bool Fail(const QString& step, int error, QString& reason);
    void Discard();

    QString filePath;         // the final target of the path given
    QByteArray temporaryPath; // in the file system's encoding; empty when there is none
    int fd = -1;
    bool failed = false;
};
