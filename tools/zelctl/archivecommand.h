#pragma once
#include <QStringList>

// zelctl archive dump|get|set|delete|init ...: arguments after "archive".
int RunArchiveCommand(const QStringList& arguments);
extern const char kArchiveUsage[];
