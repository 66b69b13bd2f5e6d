#pragma once
#include <QStringList>

// zelctl stream URL [options]: watches a camera's stream through the stream control, the way the
// viewer does, and prints each event as it arrives.
int RunStreamCommand(const QStringList& arguments);
extern const char kStreamUsage[];
