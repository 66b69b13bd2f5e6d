#pragma once
// A stream in memory, for saving and loading a control's properties.

#include "platform/com/comtypes.h"

#include <atomic>
#include <vector>

class MemoryStream final : public IStream {
  public:
    // A new stream holds one reference, released by the caller.
    static MemoryStream* Create(std::vector<uint8_t> bytes = {});

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override { return ++refCount; }
    ULONG Release() override;
    // Reads up to size bytes from the position; fewer at the end (S_FALSE when none are left).
    HRESULT Read(void* buffer, uint32_t size, uint32_t* read) override;
    HRESULT Write(const void* buffer, uint32_t size, uint32_t* written) override;

    const std::vector<uint8_t>& Bytes() const { return bytes; }
    void Rewind() { position = 0; }

  private:
    explicit MemoryStream(std::vector<uint8_t> bytes) : bytes(std::move(bytes)) {}
    ~MemoryStream() = default;

    std::atomic<ULONG> refCount{1};
    std::vector<uint8_t> bytes;
    size_t position = 0;
};
