#pragma once
// The built-in camera type table: for each model and firmware release, the resolutions and
// video sources the camera offers and whether it has PTZ.

#include "settings/node.h"

#include <QString>

inline constexpr char kCameraTypeRoot[] = "/CameraType";

// Rows for SetFromTable: per entry "/CameraType/<model>/Firmware/<n>" with the version as its
// value, then "Resolution", "CameraNumber" and "PTZ".
extern const TableRow kBuiltInCameraTypes[];

// Versions are "major.minor" read as two decimal numbers (2.4 < 2.31, 2.10 > 2.9, 2.05 == 2.5);
// what cannot be read counts as 0. An empty a is never lower.
bool IsVersionLower(const QString& a, const QString& b);
