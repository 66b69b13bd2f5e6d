#include "platform/com/connectionpoint.h"

ConnectionPoint::~ConnectionPoint() {
    UnadviseAll();
}

HRESULT ConnectionPoint::QueryInterface(REFIID requested, void** object) {
    if (!object) return E_POINTER;
    if (requested == IID_IUnknown || requested == IID_IConnectionPoint) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* result) {
    if (!result) return E_POINTER;
    *result = iid;
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, uint32_t* cookie) {
    if (!sink || !cookie) return E_POINTER;
    IDispatch* dispatch = nullptr;
    if (FAILED(sink->QueryInterface(iid, reinterpret_cast<void**>(&dispatch))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
        return E_NOINTERFACE;
    }
    std::lock_guard<std::mutex> guard(lock);
    *cookie = nextCookie++;
    sinks.push_back({*cookie, dispatch});
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(uint32_t cookie) {
    IDispatch* removed = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock);
        for (auto it = sinks.begin(); it != sinks.end(); ++it) {
            if (it->cookie == cookie) {
                removed = it->dispatch;
                sinks.erase(it);
                break;
            }
        }
    }
    if (!removed) return CONNECT_E_NOCONNECTION;
    removed->Release();
    return S_OK;
}

void ConnectionPoint::UnadviseAll() {
    std::vector<Sink> removed;
    {
        std::lock_guard<std::mutex> guard(lock);
        removed.swap(sinks);
    }
    for (Sink& sink : removed) sink.dispatch->Release();
}

void ConnectionPoint::Fire(DISPID member, VARIANT* arguments, uint32_t count) {
    std::vector<IDispatch*> snapshot;
    {
        std::lock_guard<std::mutex> guard(lock);
        for (const Sink& sink : sinks) {
            sink.dispatch->AddRef();
            snapshot.push_back(sink.dispatch);
        }
    }
    DISPPARAMS parameters{arguments, nullptr, count, 0};
    for (IDispatch* sink : snapshot) {
        sink->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr);
        sink->Release();
    }
}
