#pragma once
// Reading and writing whole settings archive files.

#include <QString>

class Node;

enum class LoadStatus {
    Loaded,  // the handle was read from the file
    Absent,  // the file cannot be opened; nothing changed
    Damaged, // the file is incomplete or malformed; nothing changed
};

struct LoadResult {
    LoadStatus status = LoadStatus::Absent;
    qint64 errorOffset = -1; // where reading failed, for a damaged file
    QString reason;          // what was wrong, for a damaged file
};

// Loads the handle (its path and tree) from the file at a host path. A damaged file changes
// nothing: the handle keeps what it had.
LoadResult LoadArchiveFile(Node& node, const QString& filePath);

// Writes the handle to the file at a host path the safe way: into a temporary file in the same
// folder, flushed, then renamed over the old file, readable by its owner only. When the file
// cannot be created nothing is written and nothing logged; once it is open, the trace line
// (function, message) is logged. False when the file was not replaced.
bool SaveArchiveFile(const Node& node, const QString& filePath, const char16_t* function, const char* logLine);

// Renames a damaged file aside (name.damaged-YYYYMMDD-hhmmss) so that no later save
// overwrites it; returns the new path, or the empty text when it could not be moved.
QString KeepDamagedFile(const QString& filePath);
