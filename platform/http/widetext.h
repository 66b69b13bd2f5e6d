#pragma once
// UTF-16 texts of the HTTP calls to the UTF-8 that libcurl takes, and back.

#include <QString>

#include <string>

// The empty text for a null pointer.
std::string ToUtf8(const char16_t* text);
// length characters, or up to the terminating zero when length is npos.
std::string ToUtf8(const char16_t* text, size_t length);
std::u16string ToUtf16(const std::string& text);

// A text as an HTTP call's optional argument (a user name, a password): null when empty.
inline const char16_t* WideOrNull(const QString& text) {
    return text.isEmpty() ? nullptr : reinterpret_cast<const char16_t*>(text.utf16());
}
