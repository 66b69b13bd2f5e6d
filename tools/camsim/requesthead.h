#pragma once
// The head of one HTTP request as a camera reads it.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace camsim {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

struct RequestHead {
    std::string method;
    std::string target;  // path with its query, exactly as received
    std::string version; // "HTTP/1.1"
    HeaderList headers;  // in the order received

    std::string Path() const;
    // The decoded value of a query parameter, or nullopt when the query does not name it.
    std::optional<std::string> Query(std::string_view name) const;
    // The value of the first header of that name (any case), or empty.
    std::string Header(std::string_view name) const;
    // Whether the client wants the connection kept after the answer.
    bool KeepAlive() const;
};

// The value of the first header of that name (any case) in a list, or empty.
std::string FindHeader(const HeaderList& headers, std::string_view name);

// Parses the text before the blank line; nullopt for anything that is not a request head.
std::optional<RequestHead> ParseRequestHead(std::string_view text);

} // namespace camsim
