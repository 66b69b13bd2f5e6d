#include "platform/http/widetext.h"

#include <QString>

std::string ToUtf8(const char16_t* text) {
    return ToUtf8(text, std::string::npos);
}

std::string ToUtf8(const char16_t* text, size_t length) {
    if (text == nullptr)
        return std::string();
    const QString wide = length == std::string::npos
                             ? QString::fromUtf16(text)
                             : QString::fromUtf16(text, static_cast<qsizetype>(length));
    return wide.toStdString();
}

std::u16string ToUtf16(const std::string& text) {
    return QString::fromStdString(text).toStdU16String();
}
