#pragma once
#include <QStringList>

// zelctl identify ADDRESS [--port N] [--user U] [--password P] [--ftp-port N]: arguments after
// "identify".
int RunIdentifyCommand(const QStringList& arguments);
extern const char kIdentifyUsage[];
