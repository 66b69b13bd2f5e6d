#pragma once
// One reference to a component, given back when the holder goes: every way out of a function
// releases what it took, once.

#include "platform/com/comtypes.h"

#include <utility>

template <typename T> class ComPtr {
  public:
    ComPtr() = default;
    // Takes over a reference the caller already holds (a new object's).
    explicit ComPtr(T* adopted) : object(adopted) {}
    ComPtr(ComPtr&& other) noexcept : object(other.Detach()) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            object = other.Detach();
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { Reset(); }

    // A reference of its own to an object that someone else holds.
    static ComPtr Share(T* held) {
        if (held)
            held->AddRef();
        return ComPtr(held);
    }
    // The object's interface iid, with a reference of its own; empty when it has none.
    template <typename From> static ComPtr QueryFrom(From* from, REFIID iid) {
        ComPtr result;
        if (from)
            from->QueryInterface(iid, result.ReceiveVoid());
        return result;
    }

    T* Get() const { return object; }
    T* operator->() const { return object; }
    explicit operator bool() const { return object != nullptr; }

    // For an out-parameter: what was held is released, and the reference written there is taken over.
    T** Receive() {
        Reset();
        return &object;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

    // Hands the reference to the caller.
    T* Detach() { return std::exchange(object, nullptr); }
    void Reset() {
        if (object)
            std::exchange(object, nullptr)->Release();
    }

  private:
    T* object = nullptr;
};
