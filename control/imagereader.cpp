#include "control/imagereader.h"

#include "control/multiparttext.h"

#include "foundation/log.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kDefaultDelimiter[] = "--myboundary";
constexpr uint8_t kPictureStart = 0xFF;
constexpr uint8_t kStartMarker[] = {0xFF, 0xD8};
constexpr uint8_t kEndMarker[] = {0xFF, 0xD9};
// Bytes after a picture's end marker that a part's Content-Length may count: line ends or padding.
constexpr uint32_t kMaxPadding = 16;
// Room the buffer may take at most: the largest picture with its part head and one read beyond.
constexpr uint32_t kMaxBuffer =
    ImageReader::kMaxPictureBytes + ImageReader::kPartHeadLimit + 2 * ImageReader::kReadStep;

// The offset of the first occurrence of pattern lying whole in [from, to), or -1.
int64_t Find(const uint8_t* data, uint32_t from, uint32_t to, const void* pattern, uint32_t length) {
    if (to < from || to - from < length || length == 0)
        return -1;
    const auto* bytes = static_cast<const uint8_t*>(pattern);
    const void* found = length == 1 ? std::memchr(data + from, bytes[0], to - from)
                                    : memmem(data + from, to - from, pattern, length);
    return found ? static_cast<const uint8_t*>(found) - data : -1;
}

// The first blank line in [from, to), as the offset of its first LF and the offset after it.
bool FindBlankLine(const uint8_t* data, uint32_t from, uint32_t to, uint32_t& at, uint32_t& after) {
    const int64_t lf = Find(data, from, to, "\n\n", 2);
    const int64_t crlf = Find(data, from, to, "\n\r\n", 3);
    if (lf < 0 && crlf < 0)
        return false;
    const bool useLf = lf >= 0 && (crlf < 0 || lf < crlf);
    at = static_cast<uint32_t>(useLf ? lf : crlf);
    after = at + (useLf ? 2 : 3);
    return true;
}

// end moved back over the line end (CR LF, LF, or CR LF CR LF) that comes before a boundary.
uint32_t BeforeLineEnd(const uint8_t* data, uint32_t start, uint32_t end) {
    for (uint32_t i = 0;
         i < ImageReader::kTrailer && end > start && (data[end - 1] == '\n' || data[end - 1] == '\r'); ++i) {
        --end;
    }
    return end;
}

// end moved back over the line ends and padding (zeros, 0xFF) that a Content-Length counts after a picture.
uint32_t BeforePadding(const uint8_t* data, uint32_t start, uint32_t end) {
    for (uint32_t i = 0; i < kMaxPadding && end > start; ++i, --end) {
        const uint8_t last = data[end - 1];
        if (last != '\n' && last != '\r' && last != 0 && last != 0xFF)
            break;
    }
    return end;
}

bool EndsWithEndMarker(const uint8_t* data, uint32_t start, uint32_t end) {
    return end >= start + 2 && std::memcmp(data + end - 2, kEndMarker, 2) == 0;
}

std::string Narrow(const char16_t* text, size_t length) {
    std::string narrow;
    for (size_t i = 0; i < length; ++i)
        narrow += text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
    return narrow;
}

} // namespace

bool ImageReader::ReadMore() {
    if (ended)
        return false;
    if (buffer.Free() < kReadStep / 2)
        DropConsumed(); // once in a while, not at every picture: what is kept is mostly short
    if (buffer.Free() < kReadStep / 2) {
        // Doubling keeps the copies of a growing buffer few, however large the picture.
        const uint64_t wanted = buffer.Size() + std::max<uint64_t>(kReadStep, buffer.Size());
        const auto total = static_cast<uint32_t>(std::min<uint64_t>(wanted, kMaxBuffer));
        if (total <= buffer.Size() || !buffer.Reserve(total)) {
            LogError(u"ImageReader::ReadBytes", "Out of memory for %u bytes", total);
            ended = true;
            return false;
        }
    }
    const uint32_t asked = buffer.Free();
    uint32_t read = 0;
    const bool ok = source->Read(buffer.End(), asked, &read);
    if (!ok || read == 0) {
        LogTrace(u"ImageReader::ReadBytes", "end of reading, result %d, dwread %d tot %d, request %d",
                 ok ? 1 : 0, static_cast<int>(read), 0, static_cast<int>(asked));
        ended = true;
        return false;
    }
    buffer.Advance(read);
    return true;
}

void ImageReader::DropConsumed() {
    uint32_t keep = 0;
    switch (stage) {
    case Stage::Boundary:
        keep = searchPos;
        break;
    case Stage::Head:
    case Stage::Picture:
        keep = boundaryPos;
        break;
    case Stage::Ended:
        keep = buffer.Size();
        break;
    }
    if (keep == 0)
        return;
    buffer.Discard(keep);
    const auto shift = [keep](uint32_t& offset) { offset = offset > keep ? offset - keep : 0; };
    shift(searchPos);
    shift(boundaryLimit);
    shift(boundaryPos);
    shift(bodyStart);
    shift(imageStart);
}

int64_t ImageReader::SearchDelimiter(uint32_t to) {
    const auto length = static_cast<uint32_t>(delimiter.size());
    const int64_t found = Find(buffer.Data(), searchPos, to, delimiter.data(), length);
    // A delimiter cut by `to` is found after the next read.
    if (found < 0 && to >= searchPos + length)
        searchPos = to - (length - 1);
    return found;
}

bool ImageReader::InitStream(HINTERNET streamRequest) {
    requestSource.request = streamRequest;
    char16_t text[1024];
    uint32_t bytes = sizeof(text);
    std::string contentType;
    if (HttpQueryInfoW(streamRequest, HTTP_QUERY_CONTENT_TYPE, text, &bytes, nullptr)) {
        contentType = Narrow(text, bytes / sizeof(char16_t));
    }
    return InitStream(&requestSource, contentType);
}

bool ImageReader::InitStream(ByteSource* byteSource, std::string_view contentType) {
    source = byteSource;
    if (!buffer.Reserve(kInitialSize))
        return false;
    while (buffer.Size() < kHeaderWindow && ReadMore()) {
    }
    const uint32_t window = std::min(buffer.Size(), kHeaderWindow);
    const std::string_view start(reinterpret_cast<const char*>(buffer.Data()), window);
    delimiter =
        DeclaredDelimiter(contentType).value_or(FirstDelimiterLine(start).value_or(kDefaultDelimiter));
    searchPos = 0;
    const int64_t first = SearchDelimiter(window);
    if (first < 0)
        return false;
    boundaryPos = static_cast<uint32_t>(first);
    stage = Stage::Head;
    return FindPictureStart();
}

bool ImageReader::FindPictureStart() {
    for (;;) {
        switch (stage) {
        case Stage::Picture:
            return true;
        case Stage::Ended:
            return false;
        case Stage::Boundary:
            if (!FindBoundary())
                return false;
            break;
        case Stage::Head:
            if (!ReadPartHead())
                return false;
            break;
        }
    }
}

bool ImageReader::FindBoundary() {
    if (boundaryLimit == 0) {
        boundaryLimit = searchPos + kMaxPictureBytes + static_cast<uint32_t>(delimiter.size());
    }
    for (;;) {
        const int64_t at = SearchDelimiter(std::min(buffer.Size(), boundaryLimit));
        if (at >= 0) {
            boundaryPos = static_cast<uint32_t>(at);
            boundaryLimit = 0;
            stage = Stage::Head;
            return true;
        }
        if (buffer.Size() >= boundaryLimit || !ReadMore())
            return false;
    }
}

bool ImageReader::ReadPartHead() {
    for (;;) {
        // Offsets are taken anew after each read, which may move the held bytes.
        const uint32_t headFrom = boundaryPos + static_cast<uint32_t>(delimiter.size());
        const uint32_t limit = boundaryPos + kPartHeadLimit;
        const uint32_t to = std::min(buffer.Size(), limit);
        // Header lines may hold any byte, 0xFF too; the picture's bytes, which may hold blank lines,
        // begin with its start marker.
        const int64_t start = Find(buffer.Data(), headFrom, to, kStartMarker, 2);
        uint32_t blank = 0;
        uint32_t afterBlank = 0;
        if (FindBlankLine(buffer.Data(), headFrom, start >= 0 ? static_cast<uint32_t>(start) : to, blank,
                          afterBlank)) {
            const std::string_view lines(reinterpret_cast<const char*>(buffer.Data()) + headFrom,
                                         blank - headFrom);
            contentLength = PartContentLength(lines, kMaxPictureBytes);
            bodyStart = afterBlank;
            return FindBodyPicture();
        }
        if (start >= 0 || to >= limit || ended) {
            // No blank line before the picture: its first 0xFF starts it, and no length is known.
            const int64_t firstFF = Find(buffer.Data(), headFrom, to, &kPictureStart, 1);
            if (firstFF < 0)
                return false;
            contentLength.reset();
            bodyStart = imageStart = searchPos = static_cast<uint32_t>(firstFF);
            stage = Stage::Picture;
            return true;
        }
        ReadMore(); // at the end of the stream, the next turn decides with what there is
    }
}

bool ImageReader::FindBodyPicture() {
    searchPos = bodyStart;
    for (;;) {
        const uint32_t limit = boundaryPos + kPartHeadLimit;
        const uint32_t to = std::min(buffer.Size(), limit);
        const int64_t firstFF = Find(buffer.Data(), bodyStart, to, &kPictureStart, 1);
        const int64_t next = SearchDelimiter(firstFF >= 0 ? static_cast<uint32_t>(firstFF) : to);
        if (next >= 0) {
            // The next boundary before any picture: this part holds none.
            boundaryPos = static_cast<uint32_t>(next);
            return true;
        }
        if (firstFF >= 0) {
            imageStart = searchPos = static_cast<uint32_t>(firstFF);
            stage = Stage::Picture;
            return true;
        }
        if (to >= limit || !ReadMore())
            return false;
    }
}

bool ImageReader::FindPictureEnd(uint32_t& end) {
    const auto delimiterLength = static_cast<uint32_t>(delimiter.size());
    // Once a length has proven right, the lengths of pictures of similar size are believed
    // without looking for a boundary inside them.
    const bool believed = contentLength && lastLength > 0 && *contentLength <= 2 * lastLength + kReadStep;
    // The first delimiter inside the declared length that no picture end comes before, from
    // imageStart: picture bytes (a comment may hold anything), unless the length proves wrong.
    std::optional<uint32_t> inside;
    const auto distrustLength = [&] {
        lastLength = 0;
        contentLength.reset(); // not where the picture ends: look for the boundary
        if (inside)
            searchPos = imageStart + *inside;
    };
    for (;;) {
        const uint32_t size = buffer.Size();
        const uint32_t searchLimit = imageStart + kMaxPictureBytes + kTrailer + delimiterLength;
        if (contentLength) {
            const uint32_t cut = bodyStart + *contentLength;
            // A boundary after a picture end before the declared end means the length is wrong.
            const int64_t at = believed ? -1 : SearchDelimiter(std::min(size, cut));
            if (at >= 0 && EndsWithEndMarker(buffer.Data(), imageStart, EndBefore(static_cast<uint32_t>(at))))
                return CutAtBoundary(static_cast<uint32_t>(at), end);
            if (at >= 0) {
                inside = inside.value_or(static_cast<uint32_t>(at) - imageStart);
                searchPos = static_cast<uint32_t>(at) + 1;
                continue;
            }
            if (size >= cut) {
                const uint32_t pictureEnd = BeforePadding(buffer.Data(), imageStart, cut);
                if (EndsWithEndMarker(buffer.Data(), imageStart, pictureEnd)) {
                    lastLength = *contentLength;
                    end = pictureEnd;
                    searchPos = cut;
                    stage = Stage::Boundary;
                    return true;
                }
                distrustLength();
                continue;
            }
        } else {
            const int64_t at = SearchDelimiter(std::min(size, searchLimit));
            if (at >= 0)
                return CutAtBoundary(static_cast<uint32_t>(at), end);
            if (size >= searchLimit)
                return false;
        }
        if (!ReadMore()) {
            if (!contentLength || !inside)
                return CutAtStreamEnd(end);
            distrustLength(); // the stream ended inside the length: the delimiter in it was a boundary
        }
    }
}

uint32_t ImageReader::EndBefore(uint32_t at) const {
    const uint8_t* data = buffer.Data();
    uint32_t end = at;
    // "----name" for a declared "--name": the delimiter was found two bytes in.
    if (end >= imageStart + 2 && data[end - 2] == '-' && data[end - 1] == '-')
        end -= 2;
    return BeforeLineEnd(data, imageStart, end);
}

bool ImageReader::CutAtBoundary(uint32_t at, uint32_t& end) {
    end = EndBefore(at);
    boundaryPos = at;
    stage = Stage::Head;
    return end - imageStart <= kMaxPictureBytes;
}

bool ImageReader::CutAtStreamEnd(uint32_t& end) {
    const uint8_t* data = buffer.Data();
    end = BeforeLineEnd(data, imageStart, buffer.Size());
    stage = Stage::Ended;
    return EndsWithEndMarker(data, imageStart, end) && end - imageStart <= kMaxPictureBytes;
}

bool ImageReader::Read(const uint8_t*& picture, uint32_t& length) {
    for (;;) {
        if (!FindPictureStart()) {
            LogTrace(u"ImageReader::Read", "Failed to read header");
            return false;
        }
        uint32_t end = 0;
        if (!FindPictureEnd(end)) {
            LogTrace(u"ImageReader::Read", "Failed to read img");
            stage = Stage::Ended;
            return false;
        }
        if (end - imageStart < kMinPicture)
            continue; // nothing of a picture in this part
        picture = buffer.Data() + imageStart;
        length = end - imageStart;
        return true;
    }
}
