#pragma once
// The single connection point of a control: the sinks that receive its events. Sinks are
// advised and unadvised on the host's thread while events fire on the control's own threads,
// so the list is guarded by a lock and events go to a snapshot of it.

#include "platform/com/comptr.h"
#include "platform/com/comtypes.h"

#include <mutex>
#include <vector>

class ConnectionPoint final : public IConnectionPoint {
  public:
    // owner: the object whose reference count this point shares; iid: the event interface.
    ConnectionPoint(IUnknown* owner, const IID& iid) : owner(owner), iid(iid) {}
    ~ConnectionPoint();
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    HRESULT QueryInterface(REFIID requested, void** object) override;
    ULONG AddRef() override { return owner->AddRef(); }
    ULONG Release() override { return owner->Release(); }
    HRESULT GetConnectionInterface(IID* result) override;
    HRESULT Advise(IUnknown* sink, uint32_t* cookie) override;
    HRESULT Unadvise(uint32_t cookie) override;

    // Calls Invoke on every sink, in the order they were connected, from the calling thread.
    // The arguments are given in reverse order (the last one first). Results are ignored.
    void Fire(DISPID member, VARIANT* arguments, uint32_t count);
    // Drops every sink (the control is going away).
    void UnadviseAll();

  private:
    struct Sink {
        uint32_t cookie;
        ComPtr<IDispatch> dispatch;
    };

    IUnknown* owner;
    IID iid;
    std::mutex lock;
    std::vector<Sink> sinks; // guarded by lock
    uint32_t nextCookie = 1; // guarded by lock
};
