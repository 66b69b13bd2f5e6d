#pragma once
// The component runtime's types: status codes, class and interface identifiers, reference-counted
// interfaces, counted wide strings, variants and the dispatch, connection point, persistence
// and embedding interfaces that a control and its host use. The two modules of the program (the
// viewer and the stream control) are built by the same compiler, so these plain C++ abstract
// classes are the binary contract between them.

#include <cstdint>

class QWidget;

using HRESULT = int32_t;
using ULONG = uint32_t;
using DISPID = int32_t;
using LCID = uint32_t;
using VARTYPE = uint16_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000Eu);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
inline constexpr HRESULT CONNECT_E_NOCONNECTION = static_cast<HRESULT>(0x80040200u);
inline constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);
inline constexpr HRESULT STG_E_READFAULT = static_cast<HRESULT>(0x8003001Eu);

inline bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
inline bool FAILED(HRESULT hr) {
    return hr < 0;
}

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

bool operator==(const GUID& a, const GUID& b);
inline bool operator!=(const GUID& a, const GUID& b) {
    return !(a == b);
}
inline constexpr IID IID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

// ---- counted wide strings: the length sits before the characters, a zero after them.
using BSTR = char16_t*;
BSTR SysAllocString(const char16_t* text);
BSTR SysAllocStringLen(const char16_t* text, uint32_t length);
void SysFreeString(BSTR text);
uint32_t SysStringLen(BSTR text);
// The same strings carrying bytes: the length counts bytes, and a zero follows them.
BSTR SysAllocStringByteLen(const char* bytes, uint32_t length);
uint32_t SysStringByteLen(BSTR text);

// ---- variants for dispatch arguments
inline constexpr VARTYPE VT_EMPTY = 0;
inline constexpr VARTYPE VT_I2 = 2;
inline constexpr VARTYPE VT_I4 = 3;
inline constexpr VARTYPE VT_R4 = 4;
inline constexpr VARTYPE VT_BSTR = 8;

struct VARIANT {
    VARTYPE vt;
    union {
        int16_t iVal;
        int32_t lVal;
        float fltVal;
        BSTR bstrVal;
    };
};
void VariantInit(VARIANT* value);
// Frees what the variant owns (its string) and empties it.
HRESULT VariantClear(VARIANT* value);

struct DISPPARAMS {
    VARIANT* rgvarg; // the arguments in reverse order: the last argument first
    DISPID* rgdispidNamedArgs;
    uint32_t cArgs;
    uint32_t cNamedArgs;
};

inline constexpr uint16_t DISPATCH_METHOD = 0x1;
inline constexpr uint16_t DISPATCH_PROPERTYGET = 0x2;
inline constexpr uint16_t DISPATCH_PROPERTYPUT = 0x4;
inline constexpr DISPID DISPID_PROPERTYPUT = -3;
inline constexpr LCID LOCALE_USER_DEFAULT = 1024;

// ---- interfaces
class IUnknown {
  public:
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

  protected:
    ~IUnknown() = default;
};
extern const IID IID_IUnknown;

class IDispatch : public IUnknown {
  public:
    // No type information is offered; members are reached by their dispatch identifiers.
    virtual HRESULT Invoke(DISPID member, REFIID iid, LCID locale, uint16_t flags, DISPPARAMS* parameters,
                           VARIANT* result, void* exception, uint32_t* argumentError) = 0;

  protected:
    ~IDispatch() = default;
};
extern const IID IID_IDispatch;

class IClassFactory : public IUnknown {
  public:
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) = 0;
    virtual HRESULT LockServer(bool lock) = 0;

  protected:
    ~IClassFactory() = default;
};
extern const IID IID_IClassFactory;

class IConnectionPoint : public IUnknown {
  public:
    virtual HRESULT GetConnectionInterface(IID* iid) = 0;
    virtual HRESULT Advise(IUnknown* sink, uint32_t* cookie) = 0;
    virtual HRESULT Unadvise(uint32_t cookie) = 0;

  protected:
    ~IConnectionPoint() = default;
};
extern const IID IID_IConnectionPoint;

class IConnectionPointContainer : public IUnknown {
  public:
    virtual HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) = 0;

  protected:
    ~IConnectionPointContainer() = default;
};
extern const IID IID_IConnectionPointContainer;

class IStream : public IUnknown {
  public:
    virtual HRESULT Read(void* buffer, uint32_t size, uint32_t* read) = 0;
    virtual HRESULT Write(const void* buffer, uint32_t size, uint32_t* written) = 0;

  protected:
    ~IStream() = default;
};
extern const IID IID_IStream;

class IPersistStreamInit : public IUnknown {
  public:
    virtual HRESULT GetClassID(CLSID* clsid) = 0;
    virtual HRESULT IsDirty() = 0;
    virtual HRESULT Load(IStream* stream) = 0;
    virtual HRESULT Save(IStream* stream, bool clearDirty) = 0;
    virtual HRESULT InitNew() = 0;

  protected:
    ~IPersistStreamInit() = default;
};
extern const IID IID_IPersistStreamInit;

// The window of an embedded control.
class IOleWindow : public IUnknown {
  public:
    virtual HRESULT GetWindow(QWidget** window) = 0;

  protected:
    ~IOleWindow() = default;
};
extern const IID IID_IOleWindow;

// Embedding: the host activates the control inside its window; the control then creates its
// own window as a child of it.
inline constexpr int OLEIVERB_INPLACEACTIVATE = -5;
class IOleObject : public IUnknown {
  public:
    virtual HRESULT SetClientSite(IUnknown* site) = 0;
    virtual HRESULT DoVerb(int verb, QWidget* parent) = 0;
    virtual HRESULT Close() = 0;
    // The control's extent in hundredths of a millimetre.
    virtual HRESULT SetExtent(uint32_t cx, uint32_t cy) = 0;
    virtual HRESULT GetExtent(uint32_t* cx, uint32_t* cy) = 0;

  protected:
    ~IOleObject() = default;
};
extern const IID IID_IOleObject;
