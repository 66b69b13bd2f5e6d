#include "control/imagereader.h"

#include "foundation/log.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint8_t kBoundary[] = {'-', '-', 'm', 'y', 'b', 'o', 'u', 'n', 'd', 'a', 'r', 'y'};
constexpr uint32_t kBoundaryLength = sizeof(kBoundary);
constexpr uint8_t kPictureStart = 0xFF;

// The offset of the first occurrence of pattern in [from, to), or -1.
int64_t Find(const uint8_t* data, uint32_t from, uint32_t to, const uint8_t* pattern, uint32_t length) {
    if (to < from || to - from < length) return -1;
    const void* found = length == 1 ? std::memchr(data + from, pattern[0], to - from)
                                    : memmem(data + from, to - from, pattern, length);
    return found ? static_cast<const uint8_t*>(found) - data : -1;
}

} // namespace

bool ImageReader::ReadBytes(uint32_t count) {
    if (count == 0) return true;
    if (sourceEnded) return false;
    if (!buffer.Reserve(buffer.Size() + count)) {
        LogError(u"ImageReader::ReadBytes", "Out of memory for %u bytes", buffer.Size() + count);
        return false;
    }
    uint32_t total = 0;
    while (total < count) {
        uint32_t read = 0;
        const bool ok = source->Read(buffer.End(), count - total, &read);
        if (!ok || read == 0) {
            sourceEnded = true;
            LogTrace(u"ImageReader::ReadBytes", "end of reading, result %d, dwread %d tot %d, request %d", ok ? 1 : 0,
                     static_cast<int>(read), static_cast<int>(total), static_cast<int>(count));
            return false;
        }
        buffer.Advance(read);
        total += read;
    }
    return true;
}

bool ImageReader::FindBoundary() {
    const int64_t found = Find(buffer.Data(), searchPos, buffer.Size(), kBoundary, kBoundaryLength);
    if (found >= 0) {
        boundaryPos = static_cast<int>(found);
        return true;
    }
    // A boundary cut by the end of the held bytes is found after the next read.
    searchPos = buffer.Size() > kBoundaryLength + 1 ? buffer.Size() - (kBoundaryLength + 1) : buffer.Size();
    return false;
}

bool ImageReader::FindImageStart() {
    const int64_t found = Find(buffer.Data(), static_cast<uint32_t>(boundaryPos), buffer.Size(), &kPictureStart, 1);
    if (found < 0) return false;
    imageStart = static_cast<uint32_t>(found - boundaryPos);
    return true;
}

bool ImageReader::InitStream(HINTERNET streamRequest) {
    requestSource.request = streamRequest;
    return InitStream(&requestSource);
}

bool ImageReader::InitStream(ByteSource* byteSource) {
    source = byteSource;
    sourceEnded = false;
    prefSize = kInitialPrefSize;
    if (!buffer.Reserve(kInitialPrefSize)) return false;
    if (!ReadBytes(kHeaderWindow)) return false;
    searchPos = 0;
    return FindBoundary() && FindImageStart();
}

bool ImageReader::Read(const uint8_t*& picture, uint32_t& length) {
    for (;;) {
        // Drop everything before the boundary found last.
        const auto from = static_cast<uint32_t>(std::max(boundaryPos, 0));
        std::memmove(buffer.Data(), buffer.Data() + from, buffer.Size() - from);
        buffer.SetSize(buffer.Size() - from);
        boundaryPos = 0;
        searchPos = 0;

        while (!FindImageStart()) {
            if (buffer.Size() >= kHeaderWindow || !ReadBytes(kHeaderWindow - buffer.Size())) {
                LogTrace(u"ImageReader::Read", "Failed to read header");
                return false;
            }
        }

        searchPos = imageStart;
        // Read the expected size at once; what matters is whether the boundary turns up. When
        // the stream ends, the bytes that did arrive are still searched: a whole picture before
        // the end is not lost.
        if (buffer.Size() < prefSize) ReadBytes(prefSize - buffer.Size());
        bool found = FindBoundary();
        while (!found && searchPos <= kSearchLimit) {
            if (!ReadBytes(kSearchStep)) {
                found = FindBoundary();
                break;
            }
            found = FindBoundary();
        }
        if (!found) {
            LogTrace(u"ImageReader::Read", "Failed to read img");
            return false;
        }

        const int64_t size = static_cast<int64_t>(boundaryPos) - imageStart - kTrailer;
        if (size < 1) {
            // Nothing of a picture between two boundaries: move on to the next part.
            continue;
        }
        imageSize = static_cast<uint32_t>(size);
        picture = buffer.Data() + imageStart;
        length = imageSize;
        prefSize = imageSize + kPrefSizeMargin;
        return true;
    }
}
