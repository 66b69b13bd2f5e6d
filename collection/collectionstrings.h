#pragma once
// Texts of the collection that come from the viewer's string table, by resource number.

#include <QString>

namespace CollectionString {
inline constexpr int kUnknown = 507;
inline constexpr int kCameraName = 508;
inline constexpr int kFolderName = 509;
inline constexpr int kCameraSwitchName = 510;
inline constexpr int kLiveSiteName = 511;
} // namespace CollectionString

// The text of the resource; the collection's own text when the viewer's table has none.
QString CollectionText(int id);
