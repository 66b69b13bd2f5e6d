#include "foundation/utf.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Encodes one code point; returns the bytes written, 0 when it does not fit.
size_t EncodeUtf8(char32_t c, char* out, size_t room) {
    if (c < 0x80) {
        if (room < 1)
            return 0;
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        if (room < 2)
            return 0;
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        if (room < 3)
            return 0;
        out[0] = static_cast<char>(0xE0 | (c >> 12));
        out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
        return 3;
    }
    if (room < 4)
        return 0;
    out[0] = static_cast<char>(0xF0 | (c >> 18));
    out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
    return 4;
}

// Decodes one UTF-8 character starting at text[i]; advances i.
char32_t DecodeUtf8(const unsigned char* text, size_t length, size_t& i) {
    const unsigned char lead = text[i++];
    if (lead < 0x80)
        return lead;
    int extra;
    char32_t c;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        c = lead & 0x07;
    } else {
        return kReplacement;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= length || (text[i] & 0xC0) != 0x80)
            return kReplacement;
        c = (c << 6) | (text[i++] & 0x3F);
    }
    static const char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
    if (c < minimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return kReplacement;
    return c;
}

} // namespace

size_t Utf16Length(const char16_t* text) {
    size_t n = 0;
    if (text) {
        while (text[n])
            ++n;
    }
    return n;
}

size_t Utf16ToUtf8(const char16_t* text, size_t length, char* out, size_t capacity) {
    if (capacity == 0)
        return 0;
    size_t written = 0;
    for (size_t i = 0; i < length;) {
        char32_t c = text[i++];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i < length && text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00);
            } else {
                c = kReplacement;
            }
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            c = kReplacement;
        }
        const size_t n = EncodeUtf8(c, out + written, capacity - 1 - written);
        if (n == 0)
            break;
        written += n;
    }
    out[written] = '\0';
    return written;
}

size_t Utf8ToUtf16(const char* text, size_t length, char16_t* out, size_t capacity) {
    if (capacity == 0)
        return 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t written = 0;
    for (size_t i = 0; i < length;) {
        const char32_t c = DecodeUtf8(bytes, length, i);
        if (c >= 0x10000) {
            if (written + 2 > capacity - 1)
                break;
            out[written++] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out[written++] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            if (written + 1 > capacity - 1)
                break;
            out[written++] = static_cast<char16_t>(c);
        }
    }
    out[written] = u'\0';
    return written;
}
