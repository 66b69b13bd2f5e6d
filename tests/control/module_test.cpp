// The control as a loadable module: registration data, creation by class identifier through
// the component runtime, the unload check, and the references its holders keep.

#include "control/interface/camimageinterface.h"

#include "platform/com/comptr.h"
#include "platform/com/registrystore.h"
#include "platform/com/runtime.h"
#include "tests/support/qtprinters.h"
#include "tests/support/temporarydataroot.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <utility>

namespace {

const QString kModule = QStringLiteral(CAMIMGCE_MODULE);

class ModuleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetComponentSearchPathsForTest({}); // the registration store only
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    }
    void TearDown() override {
        CoUninitialize();
        ResetComponentSearchPathsForTest();
    }

    static QString ClassKey() { return "CLSID\\" + StringFromGUID(CLSID_CamImage); }

    TemporaryDataRoot root;
};

TEST_F(ModuleTest, RegistrationWritesAndRemovesTheClassData) {
    ASSERT_EQ(RegisterModule(kModule), S_OK);
    bool found = false;
    EXPECT_EQ(RegistryStore::GetValue(ClassKey() + "\\InprocServer32", "", &found),
              QFileInfo(kModule).canonicalFilePath());
    EXPECT_TRUE(found);
    EXPECT_EQ(RegistryStore::GetValue(ClassKey() + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(RegistryStore::GetValue(ClassKey(), ""), "CamImage Class");
    EXPECT_EQ(RegistryStore::GetValue(ClassKey() + "\\ProgID", ""), "VexoCamControlCE.CamImage.1");
    EXPECT_EQ(RegistryStore::GetValue(ClassKey() + "\\MiscStatus\\1", ""), "131473");
    EXPECT_EQ(RegistryStore::GetValue("VexoCamControlCE.CamImage\\CurVer", ""),
              "VexoCamControlCE.CamImage.1");
    EXPECT_TRUE(RegistryStore::KeyExists(ClassKey() + "\\Insertable"));

    ASSERT_EQ(UnregisterModule(kModule), S_OK);
    EXPECT_FALSE(RegistryStore::KeyExists(ClassKey()));
    EXPECT_FALSE(RegistryStore::KeyExists("VexoCamControlCE.CamImage.1"));
    EXPECT_FALSE(RegistryStore::KeyExists("VexoCamControlCE.CamImage"));
}

TEST_F(ModuleTest, CreationFindsTheRegisteredModuleAndCountsObjects) {
    ComPtr<ICamImage> control;
    EXPECT_EQ(CoCreateInstance(CLSID_CamImage, nullptr, CLSCTX_ALL, IID_ICamImage, control.ReceiveVoid()),
              REGDB_E_CLASSNOTREG);

    ASSERT_EQ(RegisterModule(kModule), S_OK);
    ASSERT_EQ(CoCreateInstance(CLSID_CamImage, nullptr, CLSCTX_ALL, IID_ICamImage, control.ReceiveVoid()),
              S_OK);
    EXPECT_EQ(ModuleCanUnloadNow(kModule), S_FALSE);
    float fps = 0;
    control->get_FPS(&fps);
    EXPECT_EQ(fps, 25.0f);
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(control->QueryInterface(IID_IConnectionPointContainer, unknown.ReceiveVoid()), S_OK);
    EXPECT_EQ(control->QueryInterface(IID_IClassFactory, unknown.ReceiveVoid()), E_NOINTERFACE);
    control.Reset();
    EXPECT_EQ(ModuleCanUnloadNow(kModule), S_OK);
}

TEST_F(ModuleTest, UnregisteredClassesAreFoundNextToTheProgram) {
    SetComponentSearchPathsForTest({QFileInfo(kModule).absolutePath()});
    ComPtr<ICamImage> control;
    ASSERT_EQ(CoCreateInstance(CLSID_CamImage, nullptr, CLSCTX_ALL, IID_ICamImage, control.ReceiveVoid()),
              S_OK);

    const CLSID other = {0x1, 0x2, 0x3, {4, 5, 6, 7, 8, 9, 10, 11}};
    EXPECT_EQ(CoCreateInstance(other, nullptr, CLSCTX_ALL, IID_ICamImage, control.ReceiveVoid()),
              REGDB_E_CLASSNOTREG);
}

TEST_F(ModuleTest, ThreadsThatDidNotInitialiseCannotCreate) {
    CoUninitialize();
    ComPtr<ICamImage> control;
    EXPECT_EQ(CoCreateInstance(CLSID_CamImage, nullptr, CLSCTX_ALL, IID_ICamImage, control.ReceiveVoid()),
              CO_E_NOTINITIALIZED);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    CoUninitialize();
}

// An object that only counts the references to it.
class Counted final : public IUnknown {
  public:
    HRESULT QueryInterface(REFIID, void** object) override {
        *object = this;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    ULONG references = 0;
};

TEST(ComPtrTest, EveryReferenceTakenIsReleasedOnce) {
    using Held = ComPtr<IUnknown>;
    const std::pair<const char*, void (*)(Counted&, Counted&)> uses[] = {
        {"moved away",
         [](Counted& first, Counted&) {
             Held held = Held::Share(&first);
             Held taker(std::move(held));
         }},
        {"moved over another",
         [](Counted& first, Counted& other) {
             Held taker = Held::Share(&other);
             Held held = Held::Share(&first);
             taker = std::move(held);
         }},
        {"refilled as an out-parameter",
         [](Counted& first, Counted& other) {
             Held held = Held::Share(&first);
             other.AddRef();
             *held.Receive() = &other;
         }},
        {"detached and released by hand",
         [](Counted& first, Counted&) { Held::Share(&first).Detach()->Release(); }},
        {"queried, then reset twice",
         [](Counted& first, Counted&) {
             Held held = Held::QueryFrom(&first, IID_IUnknown);
             held.Reset();
             held.Reset();
         }},
    };
    for (const auto& [use, apply] : uses) {
        Counted first, other;
        apply(first, other);
        EXPECT_EQ(first.references, 0u) << use;
        EXPECT_EQ(other.references, 0u) << use;
    }
}

} // namespace
