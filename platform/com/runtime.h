#pragma once
// Creating components by class identifier. A class is found in the registration store
// ("CLSID\{...}\InprocServer32" names its module file), else in the modules that lie next to
// the running program (or, for an installed program, in the installed modules' folder,
// ../lib/<multiarch>/lumenfold from the program's folder); the module is loaded once and asked
// for the class's factory through its DllGetClassObject.

#include "platform/com/comtypes.h"

#include <QString>
#include <QStringList>

inline constexpr uint32_t COINIT_MULTITHREADED = 0x0;
inline constexpr uint32_t CLSCTX_INPROC_SERVER = 0x1;
inline constexpr uint32_t CLSCTX_ALL = 0x17;

// Per thread: S_OK the first time, S_FALSE when already initialised.
HRESULT CoInitializeEx(void* reserved, uint32_t model);
void CoUninitialize();

// CO_E_NOTINITIALIZED on a thread that did not initialise, REGDB_E_CLASSNOTREG when no module
// serves the class.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, uint32_t context, REFIID iid, void** object);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
QString StringFromGUID(const GUID& guid);

// The folders searched for modules of unregistered classes; tests replace them (an empty list
// leaves only the registration store).
void SetComponentSearchPathsForTest(const QStringList& folders);
void ResetComponentSearchPathsForTest();

// The module entry points a component module exports.
using DllGetClassObjectFunction = HRESULT (*)(REFCLSID, REFIID, void**);
using DllCanUnloadNowFunction = HRESULT (*)();
using DllRegisterServerFunction = HRESULT (*)();

// Loads a module file (once) and calls its DllRegisterServer or DllUnregisterServer.
HRESULT RegisterModule(const QString& modulePath);
HRESULT UnregisterModule(const QString& modulePath);
// The module's DllCanUnloadNow, for tests of its object count; E_FAIL when not loadable.
HRESULT ModuleCanUnloadNow(const QString& modulePath);
