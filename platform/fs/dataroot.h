#pragma once
#include <QString>

// The folder that stands for the handheld's root folder: $LUMENFOLD_ROOT when set and not
// empty, else the user's data folder (~/.local/share/lumenfold). Read afresh on every call.
QString DataRoot();

// Maps a device file name onto the data root: a bare name ("ZelSettings.arc") lies in the
// root, a backslash path ("\windows\ZelPPCLog.log") below it (root/windows/ZelPPCLog.log).
QString DevicePath(const QString& deviceName);

// Creates the folder that holds the given file when it is missing; true when it exists.
bool MakeParentFolder(const QString& filePath);
