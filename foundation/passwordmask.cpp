#include "foundation/passwordmask.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

constexpr std::u16string_view kMask = u"****";
constexpr std::u16string_view kScheme = u"://";
// Where the host part of a URL ends in a log line: its path, query or fragment, or the blank,
// double quote or angle bracket that closes the URL. A password may hold single quotes and
// brackets: the last "@" before that end closes it.
constexpr std::u16string_view kAuthorityEnd = u"/?#\" \t\r\n<>";

bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

size_t MaskUrlPasswords(char16_t* text, size_t length, size_t capacity, bool cut) {
    std::u16string_view view(text, length);
    for (size_t scheme = view.find(kScheme); scheme != std::u16string_view::npos;
         scheme = view.find(kScheme, scheme + kScheme.size())) {
        const size_t start = scheme + kScheme.size();
        const size_t end = std::min(view.find_first_of(kAuthorityEnd, start), view.size());
        const std::u16string_view authority = view.substr(start, end - start);
        // A text that ends inside this URL may end inside its password, which may hold an "@".
        if (cut && end == view.size())
            return start;
        const size_t at = authority.rfind(u'@');
        if (at == std::u16string_view::npos)
            continue;
        const size_t colon = authority.substr(0, at).find(u':');
        if (colon == std::u16string_view::npos)
            continue;
        const size_t password = start + colon + 1;
        const size_t passwordEnd = start + at;
        const std::u16string_view old = view.substr(password, passwordEnd - password);
        if (old.empty() || old == kMask)
            continue;
        // Move the rest behind the mask, cutting it at the capacity.
        size_t tail = view.size() - passwordEnd;
        const size_t room = capacity > password + kMask.size() ? capacity - password - kMask.size() : 0;
        if (tail > room) {
            tail = room;
            while (tail > 0 && IsLowSurrogate(text[passwordEnd + tail]))
                --tail;
            cut = true;
        }
        const size_t maskKept = std::min(kMask.size(), capacity - password);
        std::memmove(text + password + maskKept, text + passwordEnd, tail * sizeof(char16_t));
        std::copy_n(kMask.data(), maskKept, text + password);
        view = std::u16string_view(text, password + maskKept + tail);
    }
    return view.size();
}

QString WithUrlPasswordsMasked(const QString& text) {
    // A mask is at most three units longer than the password it replaces, and each URL with a
    // password is longer than that.
    std::u16string masked(static_cast<size_t>(text.size()) * 2, u'\0');
    std::copy(text.utf16(), text.utf16() + text.size(), masked.begin());
    const size_t length =
        MaskUrlPasswords(masked.data(), static_cast<size_t>(text.size()), masked.size(), false);
    return QString::fromUtf16(masked.data(), static_cast<qsizetype>(length));
}
