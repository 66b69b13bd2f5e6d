#pragma once
// The members of camera switches: collection paths held as the values of each switch's
// "Cameras" node ("Camera_000", "Camera_001", ...).

#include "settings/path.h"

inline constexpr char kSwitchMembersNode[] = "Cameras";

// After an item or folder moved or was renamed from one path to another: every member of every
// camera switch in the collection that is that item, or lies under it, gets its new path.
void RenameSwitchMembers(const Path& from, const Path& to);
