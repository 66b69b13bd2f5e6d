// The control as a loadable module: registration data, creation by class identifier through
// the component runtime, and the unload check.

#include "control/interface/camimageinterface.h"

#include "platform/com/registrystore.h"
#include "platform/com/runtime.h"
#include "tests/support/qtprinters.h"
#include "tests/support/temporarydataroot.h"

#include <QFileInfo>

#include <gtest/gtest.h>

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
    EXPECT_EQ(RegistryStore::GetValue("VexoCamControlCE.CamImage\\CurVer", ""), "VexoCamControlCE.CamImage.1");
    EXPECT_TRUE(RegistryStore::KeyExists(ClassKey() + "\\Insertable"));

    ASSERT_EQ(UnregisterModule(kModule), S_OK);
    EXPECT_FALSE(RegistryStore::KeyExists(ClassKey()));
    EXPECT_FALSE(RegistryStore::KeyExists("VexoCamControlCE.CamImage.1"));
    EXPECT_FALSE(RegistryStore::KeyExists("VexoCamControlCE.CamImage"));
}

TEST_F(ModuleTest, CreationFindsTheRegisteredModuleAndCountsObjects) {
    ICamImage* control = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_CamImage, nullptr, CLSCTX_ALL, IID_ICamImage, reinterpret_cast<void**>(&control)),
              REGDB_E_CLASSNOTREG);

    ASSERT_EQ(RegisterModule(kModule), S_OK);
    ASSERT_EQ(CoCreateInstance(CLSID_CamImage, nullptr, CLSCTX_ALL, IID_ICamImage, reinterpret_cast<void**>(&control)),
              S_OK);
    EXPECT_EQ(ModuleCanUnloadNow(kModule), S_FALSE);
    float fps = 0;
    control->get_FPS(&fps);
    EXPECT_EQ(fps, 25.0f);
    IUnknown* unknown = nullptr;
    EXPECT_EQ(control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&unknown)), S_OK);
    unknown->Release();
    EXPECT_EQ(control->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&unknown)), E_NOINTERFACE);
    control->Release();
    EXPECT_EQ(ModuleCanUnloadNow(kModule), S_OK);
}

TEST_F(ModuleTest, UnregisteredClassesAreFoundNextToTheProgram) {
    SetComponentSearchPathsForTest({QFileInfo(kModule).absolutePath()});
    ICamImage* control = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_CamImage, nullptr, CLSCTX_ALL, IID_ICamImage, reinterpret_cast<void**>(&control)),
              S_OK);
    control->Release();

    const CLSID other = {0x1, 0x2, 0x3, {4, 5, 6, 7, 8, 9, 10, 11}};
    EXPECT_EQ(CoCreateInstance(other, nullptr, CLSCTX_ALL, IID_ICamImage, reinterpret_cast<void**>(&control)),
              REGDB_E_CLASSNOTREG);
}

TEST_F(ModuleTest, ThreadsThatDidNotInitialiseCannotCreate) {
    CoUninitialize();
    ICamImage* control = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_CamImage, nullptr, CLSCTX_ALL, IID_ICamImage, reinterpret_cast<void**>(&control)),
              CO_E_NOTINITIALIZED);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    CoUninitialize();
}

} // namespace
