#include "foundation/format.h"

#include "foundation/utf.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Appends with snprintf semantics while tracking the room that is left.
class Output {
  public:
    Output(char* out, size_t size) : out(out), size(size) {}

    char* Cursor() { return out + used; }
    size_t Room() const { return size - used; }
    bool Full() const { return used + 1 >= size; }

    void Advance(int wanted) {
        if (wanted <= 0)
            return;
        const size_t room = Room();
        if (static_cast<size_t>(wanted) >= room) {
            used = size - 1;
            truncated = true;
        } else {
            used += static_cast<size_t>(wanted);
        }
    }

    void Put(char c) {
        if (Full()) {
            truncated = true;
            return;
        }
        out[used++] = c;
        out[used] = '\0';
    }

    size_t Finish() {
        out[used] = '\0';
        if (truncated)
            TrimPartialCharacter();
        return used;
    }

  private:
    // A cut may have left the first bytes of a multi-byte character at the end.
    void TrimPartialCharacter() {
        size_t start = used;
        while (start > 0 && (static_cast<unsigned char>(out[start - 1]) & 0xC0) == 0x80)
            --start;
        if (start == 0)
            return;
        const auto lead = static_cast<unsigned char>(out[start - 1]);
        size_t expected = 1;
        if ((lead & 0xE0) == 0xC0)
            expected = 2;
        else if ((lead & 0xF0) == 0xE0)
            expected = 3;
        else if ((lead & 0xF8) == 0xF0)
            expected = 4;
        if (used - (start - 1) < expected) {
            used = start - 1;
            out[used] = '\0';
        }
    }

    char* out;
    size_t size;
    size_t used = 0;
    bool truncated = false;
};

bool IsFlag(char c) {
    return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0';
}

} // namespace

size_t FormatText(char* out, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const size_t n = FormatTextV(out, size, format, args);
    va_end(args);
    return n;
}

size_t FormatTextV(char* out, size_t size, const char* format, va_list args) {
    if (!out || size == 0)
        return 0;
    out[0] = '\0';
    Output output(out, size);
    if (!format)
        return 0;

    for (const char* p = format; *p;) {
        if (*p != '%') {
            output.Put(*p++);
            continue;
        }
        // Collect one conversion: %[flags][width][.precision][length]conversion
        char spec[48];
        size_t n = 0;
        spec[n++] = *p++;
        while (IsFlag(*p) && n < 8)
            spec[n++] = *p++;
        auto takeNumber = [&](bool allowStar) {
            if (allowStar && *p == '*') {
                ++p;
                n += static_cast<size_t>(std::snprintf(spec + n, sizeof(spec) - n, "%d", va_arg(args, int)));
                return;
            }
            for (int digits = 0; *p >= '0' && *p <= '9'; ++digits) {
                if (digits < 6)
                    spec[n++] = *p;
                ++p;
            }
        };
        takeNumber(true);
        if (*p == '.') {
            spec[n++] = *p++;
            takeNumber(true);
        }
        char length[3] = {0, 0, 0};
        if (*p == 'h' || *p == 'l') {
            length[0] = *p++;
            if (*p == length[0])
                length[1] = *p++;
        } else if (*p == 'z' || *p == 'j' || *p == 't' || *p == 'L') {
            length[0] = *p++;
        }
        const char conversion = *p;
        if (!conversion)
            break;
        ++p;

        auto emit = [&](auto value, const char* lengthText, char c) {
            size_t k = n;
            for (const char* l = lengthText; *l; ++l)
                spec[k++] = *l;
            spec[k++] = c;
            spec[k] = '\0';
            output.Advance(std::snprintf(output.Cursor(), output.Room(), spec, value));
        };
        const bool isLong = length[0] == 'l' && !length[1];
        const bool isLongLong = length[0] == 'l' && length[1] == 'l';

        switch (conversion) {
        case '%':
            output.Put('%');
            break;
        case 'd':
        case 'i':
            if (isLongLong)
                emit(va_arg(args, long long), "ll", conversion);
            else if (isLong)
                emit(va_arg(args, long), "l", conversion);
            else if (length[0] == 'z' || length[0] == 't')
                emit(va_arg(args, ptrdiff_t), "t", conversion);
            else if (length[0] == 'j')
                emit(va_arg(args, intmax_t), "j", conversion);
            else
                emit(va_arg(args, int), length, conversion);
            break;
        case 'u':
        case 'o':
        case 'x':
        case 'X':
            if (isLongLong)
                emit(va_arg(args, unsigned long long), "ll", conversion);
            else if (isLong)
                emit(va_arg(args, unsigned long), "l", conversion);
            else if (length[0] == 'z' || length[0] == 't')
                emit(va_arg(args, size_t), "z", conversion);
            else if (length[0] == 'j')
                emit(va_arg(args, uintmax_t), "j", conversion);
            else
                emit(va_arg(args, unsigned int), length, conversion);
            break;
        case 'c':
            emit(va_arg(args, int), "", 'c');
            break;
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            if (length[0] == 'L')
                emit(va_arg(args, long double), "L", conversion);
            else
                emit(va_arg(args, double), "", conversion);
            break;
        case 's': {
            const char* text = va_arg(args, const char*);
            emit(text ? text : "(null)", "", 's');
            break;
        }
        case 'S': {
            const char16_t* wide = va_arg(args, const char16_t*);
            if (!wide) {
                emit("(null)", "", 's');
                break;
            }
            const size_t units = Utf16Length(wide);
            std::string narrow(units * 3 + 1, '\0');
            narrow.resize(Utf16ToUtf8(wide, units, narrow.data(), narrow.size()));
            emit(narrow.c_str(), "", 's');
            break;
        }
        case 'p':
            emit(va_arg(args, void*), "", 'p');
            break;
        case 'n':
            (void)va_arg(args, void*);
            break;
        default:
            // Not a conversion: keep the text as written.
            for (size_t k = 0; k < n; ++k)
                output.Put(spec[k]);
            output.Put(conversion);
            break;
        }
    }
    return output.Finish();
}
