#include "tools/camsim/requesthead.h"

#include <algorithm>
#include <cctype>

namespace camsim {

namespace {

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string Decode(std::string_view text) {
    std::string decoded;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
            HexDigit(text[i + 2]) >= 0) {
            decoded.push_back(static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2])));
            i += 2;
        } else {
            decoded.push_back(text[i] == '+' ? ' ' : text[i]);
        }
    }
    return decoded;
}

} // namespace

std::string RequestHead::Path() const {
    return target.substr(0, target.find('?'));
}

std::optional<std::string> RequestHead::Query(std::string_view name) const {
    const size_t mark = target.find('?');
    if (mark == std::string::npos)
        return std::nullopt;
    std::string_view query = std::string_view(target).substr(mark + 1);
    while (!query.empty()) {
        const size_t end = std::min(query.find('&'), query.size());
        const std::string_view pair = query.substr(0, end);
        const size_t equals = pair.find('=');
        if (pair.substr(0, equals) == name) {
            return equals == std::string_view::npos ? std::string() : Decode(pair.substr(equals + 1));
        }
        query.remove_prefix(std::min(end + 1, query.size()));
    }
    return std::nullopt;
}

std::string RequestHead::Header(std::string_view name) const {
    return FindHeader(headers, name);
}

bool RequestHead::KeepAlive() const {
    const std::string connection = Header("Connection");
    if (SameText(connection, "close"))
        return false;
    return version == "HTTP/1.1" || SameText(connection, "keep-alive");
}

std::string FindHeader(const HeaderList& headers, std::string_view name) {
    for (const auto& [key, value] : headers) {
        if (SameText(key, name))
            return value;
    }
    return std::string();
}

std::optional<RequestHead> ParseRequestHead(std::string_view text) {
    RequestHead head;
    size_t lineEnd = text.find('\n');
    const std::string_view requestLine = Trim(text.substr(0, lineEnd));
    const size_t firstSpace = requestLine.find(' ');
    const size_t lastSpace = requestLine.rfind(' ');
    if (firstSpace == std::string_view::npos || lastSpace == firstSpace)
        return std::nullopt;
    head.method = requestLine.substr(0, firstSpace);
    head.target = Trim(requestLine.substr(firstSpace + 1, lastSpace - firstSpace - 1));
    head.version = requestLine.substr(lastSpace + 1);
    if (head.target.empty() || head.target[0] != '/' || head.version.rfind("HTTP/1.", 0) != 0)
        return std::nullopt;
    while (lineEnd != std::string_view::npos && lineEnd + 1 < text.size()) {
        const size_t start = lineEnd + 1;
        lineEnd = text.find('\n', start);
        const std::string_view line =
            Trim(text.substr(start, lineEnd == std::string_view::npos ? lineEnd : lineEnd - start));
        if (line.empty())
            continue;
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0)
            return std::nullopt;
        head.headers.emplace_back(std::string(line.substr(0, colon)),
                                  std::string(Trim(line.substr(colon + 1))));
    }
    return head;
}

} // namespace camsim
