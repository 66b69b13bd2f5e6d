#pragma once
// What a grid keeps in the settings of its folder or camera switch, beside the item's own
// values: its layout ("GridLayout", a layout's name) and the order the user gave its tiles
// ("GridOrder", one item a line: a path below the grid's item relative to it, any other whole).
// Older readers of the settings ignore both.

#include "app/shell/gridlayout.h"

#include <QString>
#include <QStringList>

GridLayout KeptGridLayout(const QString& gridPath);
void KeepGridLayout(const QString& gridPath, const GridLayout& layout);

// The items in the kept order: those the order names first, as it names them, then the others
// as they come. Items the order names that are gone are left out.
QStringList InKeptOrder(const QString& gridPath, const QStringList& items);
void KeepGridOrder(const QString& gridPath, const QStringList& items);
// After an item was renamed or moved from one path to another: the kept orders of every folder
// and camera switch name it, and what lies under it, by its new path.
void FollowGridOrders(const QString& from, const QString& to);
