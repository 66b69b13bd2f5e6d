#include "platform/com/dispatchsink.h"

DispatchSink* DispatchSink::Create(const IID& iid, Handler handler) {
    return new DispatchSink(iid, std::move(handler));
}

HRESULT DispatchSink::QueryInterface(REFIID requested, void** object) {
    if (!object)
        return E_POINTER;
    if (requested == IID_IUnknown || requested == IID_IDispatch || requested == iid) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG DispatchSink::Release() {
    const ULONG left = --refCount;
    if (left == 0)
        delete this;
    return left;
}

bool DispatchSink::Connect(IUnknown* control) {
    if (point) {
        point->Unadvise(cookie);
        point.Reset();
    }
    const auto container =
        ComPtr<IConnectionPointContainer>::QueryFrom(control, IID_IConnectionPointContainer);
    if (!container || FAILED(container->FindConnectionPoint(iid, point.Receive())))
        return false;
    if (FAILED(point->Advise(static_cast<IDispatch*>(this), &cookie))) {
        point.Reset();
        return false;
    }
    return true;
}

void DispatchSink::Disconnect() {
    if (point) {
        point->Unadvise(cookie);
        point.Reset();
        cookie = 0;
    }
    // An event that the control took before the Unadvise may still be on its way; after this,
    // none reaches the handler. A sink is not connected again.
    std::lock_guard<std::mutex> guard(handlerLock);
    handler = nullptr;
}

HRESULT DispatchSink::Invoke(DISPID member, REFIID, LCID, uint16_t, DISPPARAMS* parameters, VARIANT*, void*,
                             uint32_t*) {
    static DISPPARAMS none{nullptr, nullptr, 0, 0};
    std::lock_guard<std::mutex> guard(handlerLock);
    if (handler)
        handler(member, parameters ? *parameters : none);
    return S_OK;
}

int DispatchSink::Argument(const DISPPARAMS& parameters, uint32_t position) {
    if (position >= parameters.cArgs)
        return 0;
    const VARIANT& value = parameters.rgvarg[parameters.cArgs - 1 - position];
    switch (value.vt) {
    case VT_I2:
        return value.iVal;
    case VT_I4:
        return value.lVal;
    case VT_R4:
        return static_cast<int>(value.fltVal);
    default:
        return 0;
    }
}
