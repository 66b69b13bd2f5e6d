// The progress dialog's steps and time limit, the authorisation dialog's checks, the manual
// camera type dialog's choices and the About box.

#include "app/dialogs/aboutdlg.h"
#include "app/dialogs/authorizationdlg.h"
#include "app/dialogs/manualcameratypedlg.h"
#include "app/dialogs/progressdlg.h"
#include "app/dialogs/recordingsdlg.h"

#include "collection/validation.h"
#include "foundation/text.h"
#include "platform/kernel/tick.h"
#include "platform/ui/messages.h"
#include "tests/app/dialogs/dialogfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace {

constexpr uint32_t kPoll = WM_USER + 7;

// The window that a progress dialog notifies.
class Owner : public QWidget {
  public:
    bool event(QEvent* event) override {
        if (event->type() != WindowMessageEvent::kType)
            return QWidget::event(event);
        const auto* message = static_cast<WindowMessageEvent*>(event);
        if (message->message == kPoll)
            ++polls;
        if (message->message == WM_COMMAND)
            commands.append(static_cast<int>(message->wParam));
        return true;
    }
    int polls = 0;
    QList<int> commands;
};

class ProgressDlgTest : public DialogTest {
  protected:
    void TearDown() override {
        SetTickCountOffsetForTest(0);
        DialogTest::TearDown();
    }
    Owner owner;
};

TEST_F(ProgressDlgTest, ClosesItselfAsCancelledAtTheFirstStepAfterItsTimeLimit) {
    ProgressDlg dialog(&owner);
    dialog.SetUp(7000, "Retrieving", kPoll);
    dialog.SetStepPeriod(20);
    LetRun<ProgressDlg>([&](ProgressDlg* shown) {
        EXPECT_EQ(Control<QLabel>(shown, ControlId::ProgressText)->text(), "Retrieving");
        // The clock moves on to well into the time limit: the bar follows, the owner is polled.
        SetTickCountOffsetForTest(6000);
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return shown->Position() >= 85 && owner.polls > 0; }, kDialogWaitMs));
        EXPECT_LT(shown->Position(), 100);
        EXPECT_TRUE(shown->isVisible());
        SetTickCountOffsetForTest(7000);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.Position(), 100);
    EXPECT_TRUE(Logged(":T:ProgressDlg::AutoStep - Timeout")) << Console();
}

TEST_F(ProgressDlgTest, TheRealClockEndsItToo) {
    ProgressDlg dialog(&owner);
    dialog.SetUp(300, QString(), kPoll);
    dialog.SetStepPeriod(100);
    LetRun<ProgressDlg>([](ProgressDlg*) {});
    const uint32_t start = GetTickCount();
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    const uint32_t elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 300u);
    EXPECT_GE(owner.polls, 1);
}

TEST_F(ProgressDlgTest, NoTimeLimitMeansNoStepsUntilTheOwnerClosesIt) {
    ProgressDlg dialog(&owner);
    dialog.SetUp(0, "Working", kPoll);
    dialog.SetStepPeriod(5);
    LetRun<ProgressDlg>([&](ProgressDlg* shown) {
        QTest::qWait(100);
        EXPECT_TRUE(shown->isVisible());
        EXPECT_EQ(shown->Position(), 0);
        EXPECT_EQ(owner.polls, 0);
        shown->CloseOK();
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST_F(ProgressDlgTest, NoNotificationMessageMeansNothingIsPosted) {
    ProgressDlg dialog(&owner);
    dialog.SetUp(60000, "Working", 0);
    dialog.SetStepPeriod(5);
    LetRun<ProgressDlg>([&](ProgressDlg* shown) {
        SetTickCountOffsetForTest(3000);
        EXPECT_TRUE(QTest::qWaitFor([&] { return shown->Position() >= 5; }, kDialogWaitMs));
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(owner.polls, 0);
        shown->CloseDone();
    });
    EXPECT_EQ(dialog.DoModal(), ProgressDlg::kDone);
}

TEST_F(ProgressDlgTest, ClosingBeforeItOpensDoesNothingAndCancelEndsIt) {
    ProgressDlg dialog(&owner);
    dialog.SetUp(60000, "Working", kPoll);
    dialog.CloseDone();
    LetRun<ProgressDlg>([&](ProgressDlg* shown) {
        QTest::qWait(50);
        EXPECT_TRUE(shown->isVisible());
        Click(shown, QDialogButtonBox::Cancel);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(DialogTest, AuthorizationAcceptsEmptyCredentialsAndKeepsTheSaveChoice) {
    AuthorizationDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), "Authorization");
    dialog.userName = "viewer";
    WhenShown<AuthorizationDlg>([&](AuthorizationDlg* shown) {
        auto* user = Control<QLineEdit>(shown, ControlId::UserName);
        EXPECT_EQ(user->text(), "viewer");
        EXPECT_EQ(Control<QLineEdit>(shown, ControlId::Password)->echoMode(), QLineEdit::Normal);
        user->clear();
        QLabel* saveText = nullptr;
        for (QLabel* label : shown->findChildren<QLabel*>()) {
            if (label->text() == "Save this password in the camera properties.  ")
                saveText = label;
        }
        ASSERT_NE(saveText, nullptr);
        QTest::mouseClick(saveText, Qt::LeftButton);
        EXPECT_TRUE(Control<QCheckBox>(shown, ControlId::SavePassword)->isChecked())
            << "tapping the text ticks it";
        Click(shown, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.userName, "");
    EXPECT_EQ(dialog.password, "");
    EXPECT_TRUE(dialog.save);
}

TEST_F(DialogTest, AuthorizationRefusesCharactersOutsideTheCredentialsSet) {
    AuthorizationDlg dialog;
    const QString refused = QString::fromUtf16(ValidationMessage::kCredentialCharacters);
    WhenShown<AuthorizationDlg>([&](AuthorizationDlg* shown) {
        auto* user = Control<QLineEdit>(shown, ControlId::UserName);
        auto* password = Control<QLineEdit>(shown, ControlId::Password);
        user->setText("cam 1");
        Click(shown, QDialogButtonBox::Ok);
        EXPECT_EQ(shown->focusWidget(), user);
        user->setText(" Cam_1 ");
        password->setText("pass:word");
        Click(shown, QDialogButtonBox::Ok);
        EXPECT_EQ(shown->focusWidget(), password);
        EXPECT_EQ(MessageBoxSeam::Shown(), QStringList({refused, refused}));
        password->setText("(Pass.word-1)");
        Click(shown, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.userName, "Cam_1");
    EXPECT_EQ(dialog.password, "(Pass.word-1)");
    EXPECT_FALSE(dialog.save);
}

TEST_F(DialogTest, ManualTypeListsTheTableSortedWithUnknownForTheUnknownModel) {
    ManualCameraTypeDlg dialog("192.168.0.90");
    WhenShown<ManualCameraTypeDlg>([&](ManualCameraTypeDlg* shown) {
        EXPECT_EQ(Control<QLabel>(shown, ControlId::NotReachableText)->text(),
                  "It was not possible to retrieve the camera type at the network address '192.168.0.90'\n\n"
                  "Please enter the camera type manually:");
        auto* types = Control<QComboBox>(shown, ControlId::CameraType);
        QStringList entries;
        for (int i = 0; i < types->count(); ++i)
            entries.append(types->itemText(i));
        EXPECT_EQ(entries, QStringList({"Alder", "Birch", "Cedar", "Damson", "Elm", "Elm+", "Fir", "Fir+",
                                        "Gum", "Hazel", "Ivy", "Unknown"}));
        EXPECT_EQ(types->currentText(), "Unknown");
        Click(shown, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetCameraType(), "unknown");
}

TEST_F(DialogTest, ManualTypeTakesAChosenOrTypedModel) {
    for (const QString& typed : {QString("Hazel"), QString("Custom 1"), QString("  ")}) {
        ManualCameraTypeDlg dialog("cam.local");
        WhenShown<ManualCameraTypeDlg>([&](ManualCameraTypeDlg* shown) {
            auto* types = Control<QComboBox>(shown, ControlId::CameraType);
            types->setFocus();
            types->lineEdit()->selectAll();
            QTest::keyClicks(types, typed);
            Click(shown, QDialogButtonBox::Ok);
        });
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(dialog.GetCameraType(), typed.trimmed().isEmpty() ? "unknown" : typed);
    }
}

TEST_F(DialogTest, AboutShowsTheVersionAndPlatformAndNamesTheMainWindowAgain) {
    QWidget mainWindow;
    mainWindow.setWindowTitle("Door - 192.168.0.90");
    AboutDlg dialog(&mainWindow);
    EXPECT_EQ(dialog.windowTitle(), "About Lumenfold");
    WhenShown<AboutDlg>([&](AboutDlg* shown) {
        EXPECT_EQ(Control<QLabel>(shown, ControlId::Version)->text(), GetVersionText());
        EXPECT_EQ(Control<QLabel>(shown, ControlId::PlatformName)->text(), "Pocket PC");
        EXPECT_EQ(mainWindow.windowTitle(), "Lumenfold");
        Click(shown, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

// F1 in a dialog opened from another dialog reaches the window that owns them both, which
// shows the help; the dialogs stay open.
TEST_F(DialogTest, F1InADialogSendsTheHelpCommandUpToTheOwnerWindow) {
    Owner owner;
    Dialog outer(&owner);
    ManualCameraTypeDlg inner(QStringLiteral("192.168.0.90"), &outer);
    WhenShown<ManualCameraTypeDlg>([&](ManualCameraTypeDlg* shown) {
        shown->activateWindow();
        ASSERT_TRUE(
            QTest::qWaitFor([shown] { return QApplication::activeWindow() == shown; }, kDialogWaitMs));
        QTest::keyClick(shown, Qt::Key_F1);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !owner.commands.isEmpty(); }, kDialogWaitMs));
        EXPECT_TRUE(shown->isVisible());
        shown->reject();
    });
    EXPECT_EQ(inner.DoModal(), IDCANCEL);
    EXPECT_EQ(owner.commands, QList<int>({ID_HELP}));
}

TEST_F(DialogTest, TheAboutBoxIsWideEnoughForItsWholeTitle) {
    AboutDlg dialog;
    WhenShown<AboutDlg>([&](AboutDlg* shown) {
        QFont bold = shown->font();
        bold.setBold(true);
        const int title = QFontMetrics(bold).horizontalAdvance(shown->windowTitle());
        EXPECT_GE(shown->width(), title + kTitleBarButtons);
        Click(shown, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

// A box for an item with a long name stays on the screen and shows the whole text, in lines of
// at most 60 characters.
TEST_F(DialogTest, MessageBoxesWrapLongTextsToFitTheScreen) {
    MessageBoxSeam::Disable(); // the real box
    const QString name(250, QLatin1Char('N'));
    const QString text = QStringLiteral("Are you sure you want to delete '%1'?").arg(name);
    QString shownText;
    QRect shownFrame;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        shownText = box->text();
        shownFrame = box->frameGeometry();
        box->done(QMessageBox::No);
    });
    poll.start(10);
    EXPECT_EQ(MessageBox(nullptr, text, "Lumenfold", MB_YESNO | MB_ICONQUESTION), IDNO);
    poll.stop();
    ASSERT_FALSE(shownText.isEmpty());
    EXPECT_EQ(QString(shownText).replace(QLatin1Char('\n'), QLatin1Char(' ')).remove(QLatin1Char(' ')),
              QString(text).remove(QLatin1Char(' '))); // nothing cut off
    for (const QString& line : shownText.split(QLatin1Char('\n')))
        EXPECT_LE(line.size(), 60) << line.toStdString();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(shownFrame.width(), screen.width());
}

// A recordings folder that cannot be made (a file in its place) is said, not silently not opened.
TEST_F(DialogTest, RecordingsSaysWhenItsFolderCannotBeOpened) {
    root.WriteFile("Videos", "a file where the folder would be");
    RecordingsDlg dialog(nullptr, {}, root.File("Videos/Gate"));
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text() == "Open Recordings Folder")
            button->click();
    EXPECT_EQ(MessageBoxSeam::Shown().size(), 1);
}

} // namespace
