#include "platform/com/memorystream.h"

#include <algorithm>
#include <cstring>

MemoryStream* MemoryStream::Create(std::vector<uint8_t> bytes) {
    return new MemoryStream(std::move(bytes));
}

HRESULT MemoryStream::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IStream) {
        *object = static_cast<IStream*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG MemoryStream::Release() {
    const ULONG left = --refCount;
    if (left == 0)
        delete this;
    return left;
}

HRESULT MemoryStream::Read(void* buffer, uint32_t size, uint32_t* read) {
    const size_t n = std::min<size_t>(size, bytes.size() - position);
    if (n > 0)
        std::memcpy(buffer, bytes.data() + position, n);
    position += n;
    if (read)
        *read = static_cast<uint32_t>(n);
    return n == size ? S_OK : S_FALSE;
}

HRESULT MemoryStream::Write(const void* buffer, uint32_t size, uint32_t* written) {
    if (position + size > bytes.size())
        bytes.resize(position + size);
    std::memcpy(bytes.data() + position, buffer, size);
    position += size;
    if (written)
        *written = size;
    return S_OK;
}
