// Identifying a camera from its property pages against cameras simulated on loopback: an
// answer within the first wait, a slow answer with the progress dialog, no answer in time with
// the manual type dialog, a camera that refuses at once, and one that wants a password. The
// waits are shortened; the progress dialog still steps on its own timer.

#include "app/dialogs/cameraconf.h"
#include "app/dialogs/cameraconfgeneral.h"
#include "app/dialogs/cameraconfimage.h"
#include "app/dialogs/livesiteconf.h"
#include "app/dialogs/manualcameratypedlg.h"
#include "app/dialogs/progressdlg.h"

#include "cameratype/identification.h"
#include "platform/com/runtime.h"
#include "tests/app/dialogs/dialogfixture.h"
#include "tests/support/camsimfixture.h"
#include "tests/support/eventloop.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

#include <memory>

namespace {

const QString kLoopback = QStringLiteral("127.0.0.1");

camsim::CameraConfig Camera(int delayMs = 0) {
    camsim::CameraConfig config;
    config.model = "Cedar";
    config.firmware = "2.40";
    config.faults.delayMs = delayMs;
    return config;
}

class CameraConfIdentifyTest : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        SetTimes(1000, 20, kDialogWaitMs);
    }
    void TearDown() override {
        sheet.reset();
        SetIdentifyTimesForTest(kIdentifyTimes);
        DialogTest::TearDown();
    }
    static void SetTimes(uint32_t firstWaitMs, uint32_t pollMs, uint32_t limitMs) {
        SetIdentifyTimesForTest({firstWaitMs, pollMs, limitMs});
    }

    // The sheet of a camera, shown unless it is to run modally; its greeting probe goes where
    // nothing listens.
    void Open(const QString& name = QString(), bool show = true) {
        sheet = std::make_unique<CameraConf>(nullptr, Path("/CameraCollection"), name);
        sheet->General()->TypeLookup().SetFtpPort(UnusedLoopbackPort());
        sheet->Image()->TypeLookup().SetFtpPort(UnusedLoopbackPort());
        if (show)
            sheet->show();
    }
    void EnterAddress(uint16_t port) {
        Control<QLineEdit>(sheet.get(), ControlId::Address)->setText(kLoopback);
        Control<QLineEdit>(sheet.get(), ControlId::Port)->setText(QString::number(port));
    }
    void CheckCameraType() {
        QTest::mouseClick(Control<QPushButton>(sheet.get(), ControlId::CheckCameraType), Qt::LeftButton);
    }
    void ChooseTab(int index) { sheet->findChild<QTabWidget*>()->setCurrentIndex(index); }
    QString TypeLine() { return Control<QLabel>(sheet.get(), ControlId::CameraTypeValue)->text(); }
    QString Status() { return Control<QLabel>(sheet.get(), ControlId::StatusValue)->text(); }
    int Resolutions() { return Control<QComboBox>(sheet.get(), ControlId::Resolution)->count(); }
    static size_t Queries(InProcessCamsim& camera) {
        size_t queries = 0;
        for (const auto& request : camera.Server().Requests().All()) {
            if (request.target.find("/vexo-cgi/view/param.cgi") == 0)
                ++queries;
        }
        return queries;
    }
    // The progress dialog runs on its own; its text is kept.
    void ExpectProgress() {
        LetRun<ProgressDlg>([this](ProgressDlg* dialog) {
            progressText = Control<QLabel>(dialog, ControlId::ProgressText)->text();
        });
    }
    // The manual type dialog gets a model typed in (empty: it is cancelled).
    void ExpectManualType(const QString& model) {
        WhenShown<ManualCameraTypeDlg>([model](ManualCameraTypeDlg* dialog) {
            if (model.isEmpty()) {
                Click(dialog, QDialogButtonBox::Cancel);
                return;
            }
            Control<QComboBox>(dialog, ControlId::CameraType)->setCurrentText(model);
            Click(dialog, QDialogButtonBox::Ok);
        });
    }

    std::unique_ptr<CameraConf> sheet;
    QString progressText;
};

TEST_F(CameraConfIdentifyTest, AnAnswerWithinTheFirstWaitShowsOkWithoutProgress) {
    InProcessCamsim camera(Camera());
    Open();
    EnterAddress(camera.Port());
    CheckCameraType();
    EXPECT_EQ(TypeLine(), "Cedar 2.40");
    EXPECT_EQ(Status(), "OK");
    EXPECT_TRUE(Logged(":T:CameraConfGeneral::OnCheckBtn - Loookup succeded in first attempt")) << Console();
    EXPECT_TRUE(Logged(":S:CameraConfGeneral::OnCheckBtn - Cameratype 'Cedar 2.40'")) << Console();
    // Nothing was written: the sheet was not confirmed.
    EXPECT_FALSE(Settings().Exists("/CameraCollection/Camera"));
}

TEST_F(CameraConfIdentifyTest, ASlowAnswerShowsProgressUntilAPollFindsIt) {
    InProcessCamsim camera(Camera(300));
    SetTimes(50, 20, kDialogWaitMs);
    Open();
    EnterAddress(camera.Port());
    ExpectProgress();
    CheckCameraType();
    EXPECT_EQ(progressText, "Retrieving camera type at the network address '127.0.0.1'");
    EXPECT_EQ(TypeLine(), "Cedar 2.40");
    EXPECT_EQ(Status(), "OK");
    EXPECT_TRUE(Logged("Lookup not done yet, wait a little longer"));
    EXPECT_TRUE(Logged(":T:CameraConfGeneral::OnCheckCameraType - myCameraTypeLookup.Is NOT Done"));
    EXPECT_TRUE(Logged(":T:CameraConfGeneral::OnCheckCameraType - got result")) << Console();
    EXPECT_FALSE(Logged("Timeout or user cancel"));
}

TEST_F(CameraConfIdentifyTest, NoAnswerInTimeAsksForTheModelByHand) {
    InProcessCamsim camera(Camera(3000));
    SetTimes(50, 20, 300);
    Open();
    EnterAddress(camera.Port());
    ExpectProgress();
    ExpectManualType("Hazel");
    CheckCameraType();
    EXPECT_EQ(TypeLine(), "Hazel ");
    EXPECT_EQ(Status(), "Manual set");
    EXPECT_TRUE(Logged(":T:ProgressDlg::AutoStep - Timeout"));
    EXPECT_TRUE(Logged(":T:CameraConfGeneral::OnCheckBtn - Timeout or user cancel"));
    EXPECT_TRUE(Logged(":T:CameraConfGeneral::OnCheckBtn - Dialog done"));
    // A model chosen by hand offers its newest entry's choices.
    ChooseTab(1);
    EXPECT_EQ(Resolutions(), 7);
}

TEST_F(CameraConfIdentifyTest, NoAnswerInTimeAndNoModelChosenIsACheckFailed) {
    InProcessCamsim camera(Camera(3000));
    SetTimes(50, 20, 300);
    Open();
    EnterAddress(camera.Port());
    ExpectProgress();
    ExpectManualType(QString());
    CheckCameraType();
    EXPECT_EQ(TypeLine(), "Unknown ");
    EXPECT_EQ(Status(), "Check failed");
}

TEST_F(CameraConfIdentifyTest, ACameraThatRefusesBothProbesEndsAtTheFirstPoll) {
    Open();
    EnterAddress(UnusedLoopbackPort());
    ExpectProgress();
    ExpectManualType(QString());
    CheckCameraType();
    EXPECT_TRUE(
        Logged(":E:CameraConfGeneral::OnCheckCameraType - Error while retreiving name and version for "
               "'127.0.0.1'"))
        << Console();
    EXPECT_FALSE(Logged("ProgressDlg::AutoStep - Timeout")) << "ended by the poll, not the time limit";
    EXPECT_EQ(Status(), "Check failed");
}

TEST_F(CameraConfIdentifyTest, AnEmptyAddressIsRefusedBeforeAnyIdentification) {
    Open();
    CheckCameraType();
    EXPECT_EQ(MessageBoxSeam::Shown(), QStringList({"This field cannot be empty."}));
    EXPECT_EQ(sheet->focusWidget(), Control<QLineEdit>(sheet.get(), ControlId::Address));
    EXPECT_FALSE(Logged("Lookup '"));
}

TEST_F(CameraConfIdentifyTest, ACameraThatWantsAPasswordLeadsToTheSecurityPage) {
    camsim::CameraConfig config = Camera();
    config.auth = camsim::AuthMode::Basic;
    config.user = "admin";
    config.password = "secret";
    InProcessCamsim camera(config);
    Open();
    EnterAddress(camera.Port());
    CheckCameraType();
    EXPECT_EQ(MessageBoxSeam::Shown(), QStringList({"This device requires a valid user name and password."}));
    EXPECT_EQ(Status(), "Unauthorized");
    EXPECT_EQ(TypeLine(), "Unknown ");
    EXPECT_EQ(sheet->GetActiveIndex(), 2);

    Control<QLineEdit>(sheet.get(), ControlId::UserName)->setText("admin");
    Control<QLineEdit>(sheet.get(), ControlId::Password)->setText("secret");
    ChooseTab(0);
    CheckCameraType();
    EXPECT_EQ(TypeLine(), "Cedar 2.40");
    EXPECT_EQ(Status(), "OK");
}

TEST_F(CameraConfIdentifyTest, TheImagePageIdentifiesOnlyAfterTheAddressChanged) {
    InProcessCamsim camera(Camera());
    AddCamera("/CameraCollection", "Door", "192.168.0.90");
    Open("Door", false);
    WhenShown<CameraConf>([&](CameraConf*) {
        EnterAddress(camera.Port());
        ChooseTab(1);
        EXPECT_TRUE(Logged(":T:CameraConfImage::OnSetActive - Need to retreive Camera type"));
        EXPECT_EQ(Queries(camera), 1u);
        EXPECT_EQ(Resolutions(), 7) << "the lists of Cedar 2.40";
        ChooseTab(2);
        ChooseTab(1);
        EXPECT_EQ(Queries(camera), 1u) << "the same address is not checked again";
        Click(sheet.get(), QDialogButtonBox::Ok);
    });
    EXPECT_EQ(sheet->DoModal(), 1);
    EXPECT_EQ(Value("/CameraCollection/Door/Model"), "Cedar");
    EXPECT_EQ(Value("/CameraCollection/Door/Firmware"), "2.40");
    EXPECT_EQ(Value("/CameraCollection/Door/CheckedAddress"), kLoopback);
}

TEST_F(CameraConfIdentifyTest, TheImagePageReportsAPasswordAndStays) {
    camsim::CameraConfig config = Camera();
    config.auth = camsim::AuthMode::Basic;
    config.user = "admin";
    config.password = "secret";
    InProcessCamsim camera(config);
    AddCamera("/CameraCollection", "Door", "192.168.0.90");
    Open("Door");
    EnterAddress(camera.Port());
    ExpectProgress();
    ChooseTab(1);
    EXPECT_EQ(MessageBoxSeam::Shown(), QStringList({"This device requires a valid user name and password."}));
    EXPECT_EQ(sheet->GetActiveIndex(), 1);
    ChooseTab(0);
    EXPECT_EQ(Status(), "Check failed");
}

// The Motion page shows the camera at the address the General page gave it since, and a live view
// site at its URL.
TEST_F(CameraConfIdentifyTest, TheMotionPageShowsTheCameraAtTheAddressGivenSince) {
    InProcessCamsim camera(Camera());
    SetComponentSearchPathsForTest({QFileInfo(QStringLiteral(CAMIMGCE_MODULE)).absolutePath()});
    CoInitializeEx(nullptr, COINIT_MULTITHREADED); // for the page's stream control
    Open();
    Control<QLineEdit>(sheet.get(), ControlId::Address)->setText("192.0.2.1"); // another camera first
    ChooseTab(4);
    ChooseTab(0);
    EnterAddress(camera.Port());
    ChooseTab(4);
    const auto streams = [&] {
        return camera.Server().Requests().CountStreams(camsim::StreamAnswer::Served);
    };
    EXPECT_TRUE(PumpUntil([&] { return streams() > 0; }));
    sheet.reset();
    // A live view site's, at its URL.
    auto site = std::make_unique<LiveSiteConf>(nullptr, Path("/CameraCollection"), QString());
    site->show();
    Control<QLineEdit>(site.get(), ControlId::URL)
        ->setText(QString::fromStdString(camera.Url("/vexo-cgi/mjpg/video.cgi")));
    site->findChild<QTabWidget*>()->setCurrentIndex(3);
    EXPECT_TRUE(PumpUntil([&] { return streams() > 1; }));
    site.reset();
    CoUninitialize();
    ResetComponentSearchPathsForTest();
}

} // namespace
