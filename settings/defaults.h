#pragma once
// The built-in tables: default values of new items, and the settings of a first start.

#include "settings/node.h"

// The demonstration server of the initial collection: the camera simulator's demo mode
// (camsim --demo) serves both demonstration live view sites on this loopback port.
inline constexpr int kDemoServerPort = 18400;
inline constexpr char kDemoServerHost[] = "127.0.0.1:18400";
inline constexpr char kDemoHarbourName[] = "Harbour Live";
inline constexpr char kDemoSquareName[] = "Market Square Live";

// "/DefaultValues": URL template and the values of new folders, switches, cameras and sites.
extern const TableRow kDefaultValuesTable[];
// The collection and view state of a first start, when no settings file exists.
extern const TableRow kInitialSettingsTable[];
