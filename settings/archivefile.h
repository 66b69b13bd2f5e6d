#pragma once
// Reading and writing whole settings archive files.

#include <QString>

#include <functional>

class Node;

enum class LoadStatus {
    Loaded,  // the handle was read from the file
    Absent,  // the file cannot be opened; nothing changed
    Damaged, // the file is incomplete or malformed, or is not a regular file; nothing changed
};

struct LoadResult {
    LoadStatus status = LoadStatus::Absent;
    qint64 errorOffset = -1; // where reading failed, for a damaged file
    QString reason;          // what was wrong, for a damaged file
    QString keptAs;          // where a damaged file was moved aside; empty when it could not be
};

// Loads the handle (its path and tree) from the file at a host path. A damaged file changes
// nothing: the handle keeps what it had.
LoadResult LoadArchiveFile(Node& node, const QString& filePath);

struct SaveResult {
    bool saved = false;   // the file now holds the handle
    bool created = false; // the new file could be created (a failure came later)
    QString reason;       // what went wrong, with the system's own words
};

// Writes the handle to the file at a host path the safe way (FileReplacement): on any failure
// the old file stays byte for byte. When the new file cannot be created nothing is written and
// nothing logged; once it is, the trace line (function, message) is logged. The caller holds
// a FileLock on the file (platform/fs/filelock.h).
SaveResult WriteArchiveFile(const Node& node, const QString& filePath, const char16_t* function,
                            const char* logLine);

// WriteArchiveFile under the file's lock, after beforeWrite and, once written, before afterWrite
// (when given), which run under it too. A failure after the file was created, or a lock that
// cannot be had, is logged as an error with its reason. False when the file was not replaced.
bool SaveArchiveFile(const Node& node, const QString& filePath, const char16_t* function, const char* logLine,
                     const std::function<void()>& beforeWrite = {},
                     const std::function<void()>& afterWrite = {});

// Renames a damaged file aside (name.damaged-YYYYMMDD-hhmmss) so that no later save
// overwrites it; returns the new path, or the empty text when it could not be moved or is not
// a regular file (a FIFO or a device stays where it is).
QString KeepDamagedFile(const QString& filePath);
