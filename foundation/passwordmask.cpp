#include "foundation/passwordmask.h"

#include <cstring>

namespace {

constexpr char kMask[] = "****";
constexpr size_t kMaskLength = sizeof(kMask) - 1;
// Where the host part of a URL ends in a log line: its path, query or fragment, or the quote,
// blank or bracket that closes the URL.
constexpr char kAuthorityEnd[] = "/?#'\" \t\r\n<>()[]";

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

size_t MaskUrlPasswords(char* text, size_t capacity) {
    if (capacity == 0)
        return 0;
    size_t length = std::strlen(text);
    const char* scheme = std::strstr(text, "://");
    while (scheme) {
        const size_t start = static_cast<size_t>(scheme - text) + 3;
        const size_t end = start + std::strcspn(text + start, kAuthorityEnd);
        size_t at = end;
        while (at > start && text[at - 1] != '@')
            --at;
        const char* colon =
            at > start ? static_cast<const char*>(std::memchr(text + start, ':', at - 1 - start)) : nullptr;
        size_t next = end;
        if (colon) {
            const size_t password = static_cast<size_t>(colon - text) + 1;
            const size_t passwordEnd = at - 1; // the '@'
            const size_t oldLength = passwordEnd - password;
            const bool masked =
                oldLength == kMaskLength && std::memcmp(text + password, kMask, kMaskLength) == 0;
            if (oldLength > 0 && !masked) {
                // Move the rest of the text behind the mask, cutting it at the capacity.
                size_t tail = length - passwordEnd;
                const size_t room =
                    capacity - 1 > password + kMaskLength ? capacity - 1 - password - kMaskLength : 0;
                if (tail > room) {
                    tail = room;
                    while (tail > 0 && IsContinuationByte(text[passwordEnd + tail]))
                        --tail;
                }
                if (tail > 0)
                    std::memmove(text + password + kMaskLength, text + passwordEnd, tail);
                const size_t maskKept =
                    password + kMaskLength < capacity ? kMaskLength : capacity - 1 - password;
                std::memcpy(text + password, kMask, maskKept);
                length = password + maskKept + tail;
                text[length] = '\0';
                next = password + kMaskLength + (end - passwordEnd);
            }
        }
        scheme = next < length ? std::strstr(text + next, "://") : nullptr;
    }
    return length;
}
