#pragma once
// The four kinds of collection item, named by the "Type" value of their node.

#include "settings/path.h"

#include <QString>

class Node;

// In the order in which siblings are listed.
enum class ItemType { Folder, CameraSwitch, Camera, LiveSite, None };

inline constexpr char kCollectionRoot[] = "/CameraCollection";

// "Folder", "CameraSwitch", "Camera", "LiveSite"; empty for None.
QString ItemTypeText(ItemType type);
// None for any text but the four exact ones.
ItemType ItemTypeFromText(const QString& text);
// The type of the item at the path of the settings tree; None when it is no item.
ItemType GetItemType(const Path& item);

// The settings path of the item that path names, given either as its settings path
// ("/CameraCollection/Demo Cameras") or as the names the collection tree shows ("Cameras/Demo
// Cameras", with or without a leading "/"): the collection's own name, then each item's name.
// Empty when neither form names an item.
QString FindItemPath(const QString& path);

// True for "/CameraCollection" and every folder item below it: the only places items may go.
bool IsCollectionFolder(const Path& folder);

// The name of a new item in the folder: the type's base name ("Camera", "Folder",
// "Camera Switch", "Live View Site"), or the first free "<base> (n)".
QString GenerateItemName(const Path& folder, ItemType type);
