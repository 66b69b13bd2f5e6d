#pragma once
#include <QStringList>

// zelctl stream URL [options]: watches a camera's stream through the stream control, the way the
// viewer does, and prints each event as it arrives.
int RunStreamCommand(const QStringList& arguments);
extern const char kStreamUsage[];

// zelctl record URL --seconds N --out FILE.mkv [--user U] [--password P]: records the camera's own
// pictures for N seconds, without re-encoding, into a Matroska file.
int RunRecordCommand(const QStringList& arguments);
extern const char kRecordUsage[];
