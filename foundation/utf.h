#pragma once
#include <cstddef>

// Conversions between UTF-8 and UTF-16 into caller-owned buffers, for code that must not
// allocate (the diagnostic log). Both write at most capacity - 1 units plus a terminating
// zero, never split a character, and return the number of units written. Malformed input
// becomes U+FFFD.
size_t Utf16ToUtf8(const char16_t* text, size_t length, char* out, size_t capacity);
size_t Utf8ToUtf16(const char* text, size_t length, char16_t* out, size_t capacity);

// Length of a zero-terminated UTF-16 text.
size_t Utf16Length(const char16_t* text);
