#pragma once
// Output of zelctl: UTF-8 on standard output and standard error, and the exit statuses.

#include <QString>

namespace Exit {
inline constexpr int Ok = 0;
inline constexpr int NotFound = 1; // no entry, camera not identified, stream not started
inline constexpr int Error = 2;    // bad arguments, unreadable or damaged file, failed write
} // namespace Exit

// One line on standard output.
void PrintLine(const QString& line);
// "zelctl: <message>" on standard error; returns Exit::Error so callers can `return Fail(...)`.
int Fail(const QString& message);
