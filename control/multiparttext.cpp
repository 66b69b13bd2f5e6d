#include "control/multiparttext.h"

#include <charconv>

namespace {

// Boundaries are short printable ASCII texts; RFC 2046 allows 70 characters, cameras stay below.
constexpr size_t kMaxBoundary = 100;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (IsBlank(text.front()) || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// "--" and the boundary, when the boundary is one a reader can look for.
std::optional<std::string> Delimiter(std::string_view boundary) {
    if (boundary.substr(0, 2) == "--")
        boundary.remove_prefix(2);
    if (boundary.empty() || boundary.size() > kMaxBoundary)
        return std::nullopt;
    for (const char c : boundary) {
        if (c < 0x20 || c > 0x7E)
            return std::nullopt;
    }
    return "--" + std::string(boundary);
}

} // namespace

std::optional<std::string> DeclaredDelimiter(std::string_view contentType) {
    const size_t firstSemicolon = contentType.find(';');
    const std::string_view mediaType = Trim(contentType.substr(0, firstSemicolon));
    if (!EqualsIgnoringCase(mediaType.substr(0, 10), "multipart/") ||
        firstSemicolon == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view rest = contentType.substr(firstSemicolon + 1);
    while (!rest.empty()) {
        const size_t equals = rest.find('=');
        if (equals == std::string_view::npos)
            break;
        const std::string_view name = Trim(rest.substr(0, equals));
        rest = Trim(rest.substr(equals + 1));
        std::string_view value;
        if (!rest.empty() && rest.front() == '"') {
            const size_t close = rest.find('"', 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            value = rest.substr(1, close - 1);
            rest = rest.substr(close + 1);
        } else {
            value = Trim(rest.substr(0, rest.find(';')));
            rest = rest.substr(value.size());
        }
        if (EqualsIgnoringCase(name, "boundary"))
            return Delimiter(value);
        const size_t next = rest.find(';');
        rest = next == std::string_view::npos ? std::string_view() : rest.substr(next + 1);
    }
    return std::nullopt;
}

std::optional<std::string> FirstDelimiterLine(std::string_view bytes) {
    for (size_t start = 0; start < bytes.size();) {
        const size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            break;
        const std::string_view line = Trim(bytes.substr(start, end - start));
        if (bytes.substr(start, 2) == "--" && line.size() > 2)
            return Delimiter(line);
        start = end + 1;
    }
    return std::nullopt;
}

std::optional<uint32_t> PartContentLength(std::string_view headerLines, uint32_t limit) {
    for (size_t start = 0; start < headerLines.size();) {
        const size_t end = std::min(headerLines.find('\n', start), headerLines.size());
        const std::string_view line = headerLines.substr(start, end - start);
        start = end + 1;
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos ||
            !EqualsIgnoringCase(Trim(line.substr(0, colon)), "content-length")) {
            continue;
        }
        const std::string_view value = Trim(line.substr(colon + 1));
        uint64_t length = 0;
        const auto [last, error] = std::from_chars(value.data(), value.data() + value.size(), length);
        if (error != std::errc() || last != value.data() + value.size() || value.empty() || length > limit) {
            return std::nullopt;
        }
        return static_cast<uint32_t>(length);
    }
    return std::nullopt;
}
