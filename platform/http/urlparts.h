#pragma once
// Splitting and composing URLs with libcurl's URL parser, so that what we split is exactly what
// libcurl will later request.

#include "platform/http/wininet.h"

#include <cstdint>
#include <string>

// Splits a UTF-8 URL; false with the error (ERROR_INTERNET_INVALID_URL or
// ERROR_INTERNET_UNRECOGNIZED_SCHEME) otherwise.
bool SplitUrl(const std::string& url, CrackedUrl& parts, uint32_t& error);

// The URL of a request: scheme, host (an IPv6 address is bracketed), port and object (the path
// with its query, sent as given; blanks, control characters, '#' and non-ASCII bytes are
// percent-encoded). False when libcurl would not accept it, or the host holds what would make
// another host of it ('/', '?', '#', '@', '\\', blanks).
bool ComposeRequestUrl(bool secure, const std::string& host, uint16_t port, const std::string& object,
                       std::string& url);
