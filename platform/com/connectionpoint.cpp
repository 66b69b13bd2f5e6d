#include "platform/com/connectionpoint.h"

ConnectionPoint::~ConnectionPoint() {
    UnadviseAll();
}

HRESULT ConnectionPoint::QueryInterface(REFIID requested, void** object) {
    if (!object)
        return E_POINTER;
    if (requested == IID_IUnknown || requested == IID_IConnectionPoint) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* result) {
    if (!result)
        return E_POINTER;
    *result = iid;
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, uint32_t* cookie) {
    if (!sink || !cookie)
        return E_POINTER;
    ComPtr<IDispatch> dispatch = ComPtr<IDispatch>::QueryFrom(sink, iid);
    if (!dispatch)
        dispatch = ComPtr<IDispatch>::QueryFrom(sink, IID_IDispatch);
    if (!dispatch)
        return E_NOINTERFACE;
    std::lock_guard<std::mutex> guard(lock);
    *cookie = nextCookie++;
    sinks.push_back({*cookie, std::move(dispatch)});
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(uint32_t cookie) {
    ComPtr<IDispatch> removed; // released outside the lock
    {
        std::lock_guard<std::mutex> guard(lock);
        for (auto it = sinks.begin(); it != sinks.end(); ++it) {
            if (it->cookie == cookie) {
                removed = std::move(it->dispatch);
                sinks.erase(it);
                break;
            }
        }
    }
    return removed ? S_OK : CONNECT_E_NOCONNECTION;
}

void ConnectionPoint::UnadviseAll() {
    std::vector<Sink> removed; // released outside the lock
    {
        std::lock_guard<std::mutex> guard(lock);
        removed.swap(sinks);
    }
}

void ConnectionPoint::Fire(DISPID member, VARIANT* arguments, uint32_t count) {
    std::vector<ComPtr<IDispatch>> snapshot;
    {
        std::lock_guard<std::mutex> guard(lock);
        for (const Sink& sink : sinks)
            snapshot.push_back(ComPtr<IDispatch>::Share(sink.dispatch.Get()));
    }
    DISPPARAMS parameters{arguments, nullptr, count, 0};
    for (ComPtr<IDispatch>& sink : snapshot) {
        sink->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr, nullptr,
                     nullptr);
        sink.Reset(); // a sink unadvised meanwhile goes before the next one is called
    }
}
