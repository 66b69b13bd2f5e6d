// The module's entry points: the class factory of CamImage, the unload check, and the
// registration data written to and removed from the registration store.

#include "control/camimage.h"
#include "control/interface/camimageinterface.h"

#include "foundation/log.h"
#include "foundation/text.h"
#include "platform/com/comptr.h"
#include "platform/com/registrystore.h"
#include "platform/com/runtime.h"

#include <QFile>

#include <dlfcn.h>

#include <atomic>

#define CAMIMGCE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::atomic<int> serverLocks{0};

class ClassFactory final : public IClassFactory {
  public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // The factory lives as long as the module.
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }

    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        const ComPtr<CCamImage> control(CCamImage::Create());
        return control->QueryInterface(iid, object);
    }

    HRESULT LockServer(bool lock) override {
        serverLocks += lock ? 1 : -1;
        return S_OK;
    }
};

ClassFactory factory;

const QString kProgId = QStringLiteral("VexoCamControlCE.CamImage.1");
const QString kIndependentProgId = QStringLiteral("VexoCamControlCE.CamImage");
const QString kClassName = QStringLiteral("CamImage Class");

QString ModulePath() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&ModulePath), &info) || !info.dli_fname)
        return QString();
    return QFile::decodeName(info.dli_fname);
}

QString ClassKey() {
    return QStringLiteral("CLSID\\") + StringFromGUID(CLSID_CamImage);
}

QString TypeLibKey() {
    return QStringLiteral("TypeLib\\") + StringFromGUID(LIBID_VEXOCAMCONTROLCELib);
}

// The module starts its own log when it is loaded into a process.
struct ModuleStart {
    ModuleStart() { StartDiagLog(u"CamImgCE", u"", GetVersionText()); }
} moduleStart;

} // namespace

CAMIMGCE_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_CamImage)
        return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, object);
}

CAMIMGCE_EXPORT HRESULT DllCanUnloadNow() {
    return CCamImage::LiveObjects() == 0 && serverLocks == 0 ? S_OK : S_FALSE;
}

CAMIMGCE_EXPORT HRESULT DllRegisterServer() {
    const QString module = ModulePath();
    const QString clsid = StringFromGUID(CLSID_CamImage);
    const QString classKey = ClassKey();
    bool ok =
        RegistryStore::SetValue(kProgId, QString(), kClassName) &&
        RegistryStore::SetValue(kProgId + QStringLiteral("\\CLSID"), QString(), clsid) &&
        RegistryStore::SetValue(kIndependentProgId, QString(), kClassName) &&
        RegistryStore::SetValue(kIndependentProgId + QStringLiteral("\\CLSID"), QString(), clsid) &&
        RegistryStore::SetValue(kIndependentProgId + QStringLiteral("\\CurVer"), QString(), kProgId) &&
        RegistryStore::SetValue(classKey, QString(), kClassName) &&
        RegistryStore::SetValue(classKey + QStringLiteral("\\ProgID"), QString(), kProgId) &&
        RegistryStore::SetValue(classKey + QStringLiteral("\\VersionIndependentProgID"), QString(),
                                kIndependentProgId) &&
        RegistryStore::CreateKey(classKey + QStringLiteral("\\Programmable")) &&
        RegistryStore::CreateKey(classKey + QStringLiteral("\\Control")) &&
        RegistryStore::CreateKey(classKey + QStringLiteral("\\Insertable")) &&
        RegistryStore::SetValue(classKey + QStringLiteral("\\InprocServer32"), QString(), module) &&
        RegistryStore::SetValue(classKey + QStringLiteral("\\InprocServer32"),
                                QStringLiteral("ThreadingModel"), QStringLiteral("Apartment")) &&
        RegistryStore::SetValue(classKey + QStringLiteral("\\ToolboxBitmap32"), QString(),
                                module + QStringLiteral(", 101")) &&
        RegistryStore::SetValue(classKey + QStringLiteral("\\MiscStatus"), QString(), QStringLiteral("0")) &&
        RegistryStore::SetValue(classKey + QStringLiteral("\\MiscStatus\\1"), QString(),
                                QStringLiteral("131473")) &&
        RegistryStore::SetValue(classKey + QStringLiteral("\\TypeLib"), QString(),
                                StringFromGUID(LIBID_VEXOCAMCONTROLCELib)) &&
        RegistryStore::SetValue(classKey + QStringLiteral("\\Version"), QString(), QStringLiteral("1.0")) &&
        RegistryStore::SetValue(TypeLibKey() + QStringLiteral("\\1.0"), QString(),
                                QStringLiteral("VexoCamControlCE 1.0 Type Library")) &&
        RegistryStore::SetValue(TypeLibKey() + QStringLiteral("\\1.0\\0\\linux"), QString(), module);
    return ok ? S_OK : E_FAIL;
}

CAMIMGCE_EXPORT HRESULT DllUnregisterServer() {
    const bool ok = RegistryStore::DeleteKey(kProgId) && RegistryStore::DeleteKey(kIndependentProgId) &&
                    RegistryStore::DeleteKey(ClassKey()) && RegistryStore::DeleteKey(TypeLibKey());
    return ok ? S_OK : E_FAIL;
}
