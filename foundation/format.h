#pragma once
#include <cstdarg>
#include <cstddef>

// printf-style formatting into a fixed buffer, as the log and the camera commands use it.
// "%S" takes a zero-terminated UTF-16 text (const char16_t*), written as UTF-8; "%s" takes a
// UTF-8 text. "%n" is never honoured. The result is always terminated and cut, when it is too
// long, at size - 1 bytes without splitting a character. Returns the bytes written.
size_t FormatText(char* out, size_t size, const char* format, ...);
size_t FormatTextV(char* out, size_t size, const char* format, va_list args);
