#pragma once
// The thread last-error value (wininet.h's ERROR_ table) that stands for a libcurl failure.

#include <curl/curl.h>

#include <cstdint>

uint32_t InternetErrorFromCurl(CURLcode code);
