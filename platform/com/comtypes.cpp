#include "platform/com/comtypes.h"

#include <cstdlib>
#include <cstring>

// Identifiers of the runtime's own interfaces (the standard values).
const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IConnectionPoint = {
    0xB196B286, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
const IID IID_IConnectionPointContainer = {
    0xB196B284, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
const IID IID_IStream = {0x0000000C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IPersistStreamInit = {
    0x7FD52380, 0x4E07, 0x101B, {0xAE, 0x2D, 0x08, 0x00, 0x2B, 0x2E, 0xC7, 0x13}};
const IID IID_IOleWindow = {0x00000114, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IOleObject = {0x00000112, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

bool operator==(const GUID& a, const GUID& b) {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

namespace {
struct BstrHeader {
    uint32_t bytes; // characters times two, like the platform's
};
} // namespace

BSTR SysAllocStringLen(const char16_t* text, uint32_t length) {
    auto* block = static_cast<char*>(std::malloc(sizeof(BstrHeader) + (static_cast<size_t>(length) + 1) * 2));
    if (!block)
        return nullptr;
    reinterpret_cast<BstrHeader*>(block)->bytes = length * 2;
    auto* chars = reinterpret_cast<char16_t*>(block + sizeof(BstrHeader));
    if (text) {
        std::memcpy(chars, text, static_cast<size_t>(length) * 2);
    } else {
        std::memset(chars, 0, static_cast<size_t>(length) * 2);
    }
    chars[length] = u'\0';
    return chars;
}

BSTR SysAllocString(const char16_t* text) {
    if (!text)
        return nullptr;
    uint32_t length = 0;
    while (text[length])
        ++length;
    return SysAllocStringLen(text, length);
}

BSTR SysAllocStringByteLen(const char* bytes, uint32_t length) {
    // Room for a whole zero character after the bytes, whatever the length.
    auto* block = static_cast<char*>(std::malloc(sizeof(BstrHeader) + static_cast<size_t>(length) + 2));
    if (!block)
        return nullptr;
    reinterpret_cast<BstrHeader*>(block)->bytes = length;
    char* data = block + sizeof(BstrHeader);
    if (bytes) {
        std::memcpy(data, bytes, length);
    } else {
        std::memset(data, 0, length);
    }
    data[length] = '\0';
    data[length + 1] = '\0';
    return reinterpret_cast<BSTR>(data);
}

uint32_t SysStringByteLen(BSTR text) {
    if (!text)
        return 0;
    return reinterpret_cast<const BstrHeader*>(reinterpret_cast<const char*>(text) - sizeof(BstrHeader))
        ->bytes;
}

void SysFreeString(BSTR text) {
    if (text)
        std::free(reinterpret_cast<char*>(text) - sizeof(BstrHeader));
}

uint32_t SysStringLen(BSTR text) {
    if (!text)
        return 0;
    return reinterpret_cast<const BstrHeader*>(reinterpret_cast<const char*>(text) - sizeof(BstrHeader))
               ->bytes /
           2;
}

void VariantInit(VARIANT* value) {
    value->vt = VT_EMPTY;
    value->lVal = 0;
    value->bstrVal = nullptr;
}

HRESULT VariantClear(VARIANT* value) {
    if (!value)
        return E_POINTER;
    if (value->vt == VT_BSTR)
        SysFreeString(value->bstrVal);
    VariantInit(value);
    return S_OK;
}
