#pragma once
// UTF-16 texts of the HTTP calls to the UTF-8 that libcurl takes, and back.

#include <string>

// The empty text for a null pointer.
std::string ToUtf8(const char16_t* text);
// length characters, or up to the terminating zero when length is npos.
std::string ToUtf8(const char16_t* text, size_t length);
std::u16string ToUtf16(const std::string& text);
