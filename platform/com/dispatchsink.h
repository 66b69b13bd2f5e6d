#pragma once
// An event sink that hands every event to a function: the host side of a control's connection
// point. Events arrive on the control's threads, so the function must be safe to call there.

#include "platform/com/comptr.h"
#include "platform/com/comtypes.h"

#include <atomic>
#include <functional>
#include <mutex>

class DispatchSink final : public IDispatch {
  public:
    using Handler = std::function<void(DISPID member, const DISPPARAMS& parameters)>;

    // A new sink holds one reference; iid is the event interface it answers to.
    static DispatchSink* Create(const IID& iid, Handler handler);

    // Connects the sink to a control's connection point for the event interface; false when the
    // control has none. Disconnect undoes it, and no event reaches the handler after it returned
    // (one being handled is waited for).
    bool Connect(IUnknown* control);
    void Disconnect();

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override { return ++refCount; }
    ULONG Release() override;
    HRESULT Invoke(DISPID member, REFIID iid, LCID locale, uint16_t flags, DISPPARAMS* parameters,
                   VARIANT* result, void* exception, uint32_t* argumentError) override;

    // The argument at position (0 the first, as declared) of an event, as an integer.
    static int Argument(const DISPPARAMS& parameters, uint32_t position);

  private:
    DispatchSink(const IID& iid, Handler handler) : iid(iid), handler(std::move(handler)) {}
    ~DispatchSink() = default;

    std::atomic<ULONG> refCount{1};
    IID iid;
    std::mutex handlerLock;
    Handler handler; // guarded by handlerLock; empty once disconnected
    ComPtr<IConnectionPoint> point;
    uint32_t cookie = 0;
};
