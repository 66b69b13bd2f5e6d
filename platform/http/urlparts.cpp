#include "platform/http/urlparts.h"

#include "platform/http/widetext.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>

namespace {

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using UrlHandle = std::unique_ptr<CURLU, UrlDeleter>;

// One part as text, or empty when the URL has none.
std::string GetPart(CURLU* url, CURLUPart part, unsigned flags = 0) {
    char* text = nullptr;
    if (curl_url_get(url, part, &text, flags) != CURLUE_OK || text == nullptr)
        return std::string();
    std::string result(text);
    curl_free(text);
    return result;
}

std::string EscapeObject(const std::string& object) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(object.size() + 1);
    if (object.empty() || object[0] != '/')
        escaped.push_back('/');
    for (const char c : object) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '#') { // a '#' would end what is sent
            escaped.push_back('%');
            escaped.push_back(kHex[byte >> 4]);
            escaped.push_back(kHex[byte & 15]);
        } else {
            escaped.push_back(c);
        }
    }
    return escaped;
}

} // namespace

bool SplitUrl(const std::string& text, CrackedUrl& parts, uint32_t& error) {
    UrlHandle url(curl_url());
    if (!url) {
        error = ERROR_INTERNET_INVALID_URL;
        return false;
    }
    const CURLUcode parsed =
        curl_url_set(url.get(), CURLUPART_URL, text.c_str(), CURLU_PATH_AS_IS | CURLU_ALLOW_SPACE);
    if (parsed == CURLUE_UNSUPPORTED_SCHEME || parsed == CURLUE_BAD_SCHEME || parsed == CURLUE_NO_SCHEME) {
        error = ERROR_INTERNET_UNRECOGNIZED_SCHEME;
        return false;
    }
    if (parsed != CURLUE_OK) {
        error = ERROR_INTERNET_INVALID_URL;
        return false;
    }
    const std::string scheme = GetPart(url.get(), CURLUPART_SCHEME);
    if (scheme == "http") {
        parts.scheme = INTERNET_SCHEME_HTTP;
    } else if (scheme == "https") {
        parts.scheme = INTERNET_SCHEME_HTTPS;
    } else {
        error = ERROR_INTERNET_UNRECOGNIZED_SCHEME;
        return false;
    }
    const std::string port = GetPart(url.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
    std::string path = GetPart(url.get(), CURLUPART_PATH);
    const std::string query = GetPart(url.get(), CURLUPART_QUERY);
    if (!query.empty())
        path += "?" + query;
    parts.host = ToUtf16(GetPart(url.get(), CURLUPART_HOST));
    parts.port = static_cast<uint16_t>(std::stoi(port)); // libcurl checked it is 0..65535
    parts.path = ToUtf16(path.empty() ? std::string("/") : path);
    return true;
}

bool ComposeRequestUrl(bool secure, const std::string& host, uint16_t port, const std::string& object,
                       std::string& url) {
    // A host holding what ends or splits an authority would send the request elsewhere.
    if (host.empty() || host.find_first_of("/?#@\\") != std::string::npos ||
        std::any_of(host.begin(), host.end(), [](char c) { return static_cast<unsigned char>(c) <= 0x20; }))
        return false;
    const bool bareIpv6 = host.find(':') != std::string::npos && host.front() != '[';
    const std::string authority = bareIpv6 ? "[" + host + "]" : host;
    url = (secure ? "https://" : "http://") + authority + ":" + std::to_string(port) + EscapeObject(object);
    UrlHandle check(curl_url());
    return check && curl_url_set(check.get(), CURLUPART_URL, url.c_str(), CURLU_PATH_AS_IS) == CURLUE_OK;
}
