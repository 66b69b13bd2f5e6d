#include "platform/com/runtime.h"

#include "platform/com/comptr.h"
#include "platform/com/registrystore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <optional>

namespace {

thread_local int initCount = 0;

std::mutex moduleLock;
std::map<QString, void*> loadedModules; // never unloaded: objects of a module may outlive a lookup
std::optional<QStringList> searchPathsForTest;

QString ProgramFolder() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (n <= 0)
        return QString();
    path[n] = '\0';
    return QFileInfo(QString::fromLocal8Bit(path)).absolutePath();
}

QStringList SearchPaths() {
    if (searchPathsForTest)
        return *searchPathsForTest;
    const QString folder = ProgramFolder();
    return {folder, folder + QStringLiteral("/" LUMENFOLD_INSTALLED_MODULES)};
}

void* LoadModule(const QString& path) {
    std::lock_guard<std::mutex> guard(moduleLock);
    const QString key = QFileInfo(path).canonicalFilePath();
    if (key.isEmpty())
        return nullptr;
    const auto found = loadedModules.find(key);
    if (found != loadedModules.end())
        return found->second;
    void* module = dlopen(QFile::encodeName(key).constData(), RTLD_NOW | RTLD_LOCAL);
    if (module)
        loadedModules[key] = module;
    return module;
}

template <typename Function> Function Entry(void* module, const char* name) {
    return module ? reinterpret_cast<Function>(dlsym(module, name)) : nullptr;
}

HRESULT FactoryFrom(const QString& modulePath, REFCLSID clsid, IClassFactory** factory) {
    const auto get = Entry<DllGetClassObjectFunction>(LoadModule(modulePath), "DllGetClassObject");
    if (!get)
        return REGDB_E_CLASSNOTREG;
    return get(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory));
}

HRESULT FindFactory(REFCLSID clsid, IClassFactory** factory) {
    bool registered = false;
    const QString key =
        QStringLiteral("CLSID\\") + StringFromGUID(clsid) + QStringLiteral("\\InprocServer32");
    const QString registeredPath = RegistryStore::GetValue(key, QString(), &registered);
    if (registered && SUCCEEDED(FactoryFrom(registeredPath, clsid, factory)))
        return S_OK;
    for (const QString& folder : SearchPaths()) {
        const QFileInfoList modules = QDir(folder).entryInfoList({QStringLiteral("*.so")}, QDir::Files);
        for (const QFileInfo& module : modules) {
            if (SUCCEEDED(FactoryFrom(module.filePath(), clsid, factory)))
                return S_OK;
        }
    }
    return REGDB_E_CLASSNOTREG;
}

HRESULT CallEntry(const QString& modulePath, const char* name) {
    const auto entry = Entry<DllRegisterServerFunction>(LoadModule(modulePath), name);
    return entry ? entry() : E_FAIL;
}

} // namespace

HRESULT CoInitializeEx(void*, uint32_t) {
    return initCount++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
    if (initCount > 0)
        --initCount;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, uint32_t, REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (initCount == 0)
        return CO_E_NOTINITIALIZED;
    ComPtr<IClassFactory> factory;
    const HRESULT found = FindFactory(clsid, factory.Receive());
    if (FAILED(found))
        return found;
    return factory->CreateInstance(outer, iid, object);
}

QString StringFromGUID(const GUID& guid) {
    return QString::asprintf("{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1, guid.Data2,
                             guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3],
                             guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
}

void SetComponentSearchPathsForTest(const QStringList& folders) {
    searchPathsForTest = folders;
}

void ResetComponentSearchPathsForTest() {
    searchPathsForTest.reset();
}

HRESULT RegisterModule(const QString& modulePath) {
    return CallEntry(modulePath, "DllRegisterServer");
}

HRESULT UnregisterModule(const QString& modulePath) {
    return CallEntry(modulePath, "DllUnregisterServer");
}

HRESULT ModuleCanUnloadNow(const QString& modulePath) {
    const auto entry = Entry<DllCanUnloadNowFunction>(LoadModule(modulePath), "DllCanUnloadNow");
    return entry ? entry() : E_FAIL;
}
