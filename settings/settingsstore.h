#pragma once
// The three process-wide settings trees and the moments the settings file is read and written.

#include "settings/archivefile.h"
#include "settings/node.h"

inline constexpr char16_t kSettingsFile[] = u"ZelSettings.arc";
inline constexpr char16_t kCameraTypesFile[] = u"ZelPPCCameraTypes.arc";

// The settings tree: the collection under "/CameraCollection", view state under "/View".
Node& Settings();
// The defaults tree: "/DefaultValues", built in, never saved.
Node& Defaults();
// The camera type tree: "/CameraType".
Node& CameraTypes();

// Fills the defaults tree, then loads the settings tree from "ZelSettings.arc", or from the
// initial table when there is no such file. A damaged file is logged, renamed aside so that no
// save overwrites it (the result's keptAs; when it cannot be renamed, no save will replace it),
// and the initial table is used.
LoadResult LoadSettings();

// Writes the settings tree to "ZelSettings.arc" (see SaveArchiveFile). False when not written.
bool SaveSettings();
