#pragma once
// The checks the property pages apply to what the user entered, before anything is written.
// Every function returns the message of the first check that fails, or the empty text when the
// input passes. Field functions trim the entered text first, as the pages do when they take it
// (TakeEnteredText); the pages store the trimmed text.

#include "settings/path.h"

#include <QString>

namespace ValidationMessage {
inline constexpr char16_t kEmpty[] = u"This field cannot be empty.";
inline constexpr char16_t kItemNameCharacters[] =
    u"This field can only contain the characters: A-Z, a-z, 0-9, ( ) . _ - and blank spaces.";
inline constexpr char16_t kCredentialCharacters[] =
    u"This field can only contain the characters: A-Z, a-z, 0-9, ( ) . _ -";
inline constexpr char16_t kAddressCharacters[] =
    u"This field can only contain the characters: A-Z, a-z, 0-9,  . - ";
inline constexpr char16_t kNameExists[] = u"This name already exists.";
inline constexpr char16_t kMoveIntoSubFolder[] = u"Cannot move source folder into a sub-folder.";
inline constexpr char16_t kURLWithoutHost[] =
    u"Please enter a URL with the camera's host name or address, such as http://192.168.0.90/video.cgi.";
} // namespace ValidationMessage

// Names, addresses, user names, passwords and URLs hold at most this many characters.
inline constexpr int kMaxFieldLength = 250;

enum class CharacterSet { ItemName, Credentials, NetworkAddress };

// The text as the pages take it from an edit control: without leading and trailing white space.
QString TakeEnteredText(const QString& entered);

// The single checks, on text already taken.
QString CheckLength(const QString& text);
QString CheckNotEmpty(const QString& text);
// Letters pass in either case; the empty text passes.
QString CheckCharacters(const QString& text, CharacterSet set);
// Fails when folder/name is not the item's current path and an entry exists there.
QString CheckUniqueName(const Path& folder, const QString& name, const Path& currentPath);
// Fails when a folder would move into itself or one of its sub-folders.
QString CheckFolderMove(const Path& newPath, const Path& currentPath);
// A whole number from low to high; value is set when it passes.
QString CheckInteger(const QString& text, int low, int high, int& value);

// The fields of the pages, each with its checks in the order the pages run them.
// Name of a camera or live view site in the chosen folder.
QString ValidateItemName(const QString& entered, const Path& folder, const Path& currentPath);
// Name of a camera switch: no length check.
QString ValidateCameraSwitchName(const QString& entered, const Path& folder, const Path& currentPath);
// Name of a folder in the chosen parent, and the move that a new path makes.
QString ValidateFolderName(const QString& entered, const Path& parent, const Path& currentPath);
QString ValidateNetworkAddress(const QString& entered);
// User name or password; both may be empty.
QString ValidateCredential(const QString& entered);
// URL of a live view site. It must name a host: something between "scheme://" (or its start without
// one) and the path, leaving out the user name and password before "@" and the port after ":".
QString ValidateURL(const QString& entered);
QString ValidatePort(const QString& entered, int& port);
QString ValidateDisplayTime(const QString& entered, int& seconds);
