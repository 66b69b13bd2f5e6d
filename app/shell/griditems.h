#pragma once
// Which items a grid shows, always read from the settings tree as it is now.

#include <QString>
#include <QStringList>

// The paths of the cameras and live view sites the grid of the item at path shows, in the
// order the collection lists them: for a folder, every camera and site in it and in its
// sub-folders, depth first, each folder's items in sibling order (camera switches are left
// out, their members have their own places); for a camera switch, its members that exist, in
// member order; a camera or a site alone. Nothing for anything else.
QStringList GridItems(const QString& path);
