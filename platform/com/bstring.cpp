#include "platform/com/bstring.h"

#include <utility>

BString::BString(const QString& text)
    : text(SysAllocStringLen(reinterpret_cast<const char16_t*>(text.utf16()),
                             static_cast<uint32_t>(text.size()))) {}

BString::BString(const char16_t* text) : text(SysAllocString(text)) {}

BString::~BString() {
    SysFreeString(text);
}

QString BString::ToQString(BSTR text) {
    return text ? QString::fromUtf16(text, SysStringLen(text)) : QString();
}

QByteArray BString::ToByteArray() const {
    if (!text)
        return QByteArray();
    return QByteArray(reinterpret_cast<const char*>(text), static_cast<qsizetype>(SysStringByteLen(text)));
}

BSTR* BString::Receive() {
    SysFreeString(std::exchange(text, nullptr));
    return &text;
}

BSTR BString::Detach() {
    return std::exchange(text, nullptr);
}
