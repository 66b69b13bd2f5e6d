#pragma once
// The few texts of a Motion-JPEG answer that the reader interprets: the boundary that the
// answer's Content-Type declares, a boundary line at the start of the body, and the
// Content-Length among a part's header lines.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The delimiter ("--" and the boundary) declared by a multipart Content-Type such as
// `multipart/x-mixed-replace; boundary="abc"`. The parameter may be quoted and may itself begin
// with "--" (cameras write both); either way the delimiter is "--abc". Nothing for another type
// or a type without a usable boundary.
std::optional<std::string> DeclaredDelimiter(std::string_view contentType);

// The first line of bytes that begins with "--" and ends (LF, or CR LF) inside them, without its
// line end and trailing blanks: a body whose answer declares no boundary starts with it. Nothing
// when no such line holds a usable delimiter.
std::optional<std::string> FirstDelimiterLine(std::string_view bytes);

// The value of the Content-Length header among a part's header lines (LF or CR LF line ends,
// names in any case). Nothing when the header is missing, not a number, or above limit.
std::optional<uint32_t> PartContentLength(std::string_view headerLines, uint32_t limit);
