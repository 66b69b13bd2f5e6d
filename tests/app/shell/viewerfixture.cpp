#include "tests/app/shell/viewerfixture.h"

#include "foundation/log.h"
#include "platform/com/runtime.h"
#include "platform/ui/controlhost.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/modal.h"
#include "settings/settingsstore.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>
#include <QThread>

void ViewerTest::SetUp() {
    SetComponentSearchPathsForTest({QFileInfo(QStringLiteral(CAMIMGCE_MODULE)).absolutePath()});
    MessageBoxSeam::Enable();
    ModalSeam::Enable();
    Settings() = Node();
    Defaults() = Node();
    DiagLog::Instance().SetConsoleForTest([this](std::string_view text) {
        std::lock_guard<std::mutex> guard(logLock);
        partial += QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        while (partial.contains('\n')) {
            const qsizetype end = partial.indexOf('\n');
            const QString line = partial.left(end);
            partial.remove(0, end + 1);
            if (!QStringView(line).trimmed().isEmpty() && !line.endsWith('\t'))
                logLines.append(line);
        }
    });
}

void ViewerTest::TearDown() {
    if (app)
        Exit();
    DiagLog::Instance().SetConsoleForTest(nullptr);
    DiagLog::Instance().ResetForTest();
    ModalSeam::Disable();
    MessageBoxSeam::Disable();
    ResetComponentSearchPathsForTest();
}

void ViewerTest::Start() {
    app = std::make_unique<ZelPPCApp>();
    ASSERT_TRUE(app->InitInstance());
    ASSERT_TRUE(PumpUntil([this] { return app->Frame() && Tree().topLevelItemCount() > 0; }));
}

void ViewerTest::StartUnattended(const QString& path, bool grid) {
    if (app)
        Exit();
    StartOptions options;
    options.openPath = path;
    options.grid = grid;
    app = std::make_unique<ZelPPCApp>();
    ASSERT_TRUE(app->InitInstance(options));
    ASSERT_TRUE(ZelPPCApp::RunsUnattended());
}

void ViewerTest::PressKey(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    Frame().activateWindow();
    QApplication::setActiveWindow(&Frame());
    QTest::keyClick(widget, key, modifiers);
}

void ViewerTest::QueueCredentials(const QString& user, const QString& password,
                                  const std::function<void(QDialog*)>& look) {
    ModalSeam::QueueHandler([=](QDialog* dialog) {
        if (look)
            look(dialog);
        const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
        ASSERT_EQ(edits.size(), 2);
        edits[0]->setText(user);
        edits[1]->setText(password);
        dialog->accept();
    });
}

void ViewerTest::Exit() {
    app->ExitInstance();
    app.reset();
}

QString ViewerTest::Selected() {
    QString path;
    Tree().SelectedPath(path);
    return path;
}

QStringList ViewerTest::Log() {
    std::lock_guard<std::mutex> guard(logLock);
    return logLines;
}

bool ViewerTest::Logged(const QString& text) {
    return LogIndex(text) >= 0;
}

int ViewerTest::LogIndex(const QString& text, int from) {
    const QStringList lines = Log();
    for (int i = from; i < lines.size(); ++i) {
        if (lines[i].contains(text))
            return i;
    }
    return -1;
}

void ViewerTest::AddCamera(const QString& path, const InProcessCamsim& camera, const QString& model,
                           const QString& firmware) {
    const Node item = Settings().GetNode(path);
    item.SetValue("Type", Data("Camera"));
    item.SetValue("Name", Data(Path::GetName(path)));
    item.SetValue("Address", Data("127.0.0.1"));
    item.SetValue("Port", Data(static_cast<int>(camera.Port())));
    item.SetValue("Model", Data(model));
    item.SetValue("Firmware", Data(firmware));
    item.SetValue("Resolution", Data("default"));
    item.SetValue("CameraNumber", Data("default"));
    item.SetValue("Rotation", Data("0"));
}

bool ViewerTest::OpenAndWaitForStream(const QString& path, int timeoutMs) {
    Tree().Refill();
    Tree().SelectPath(path);
    Frame().OnCommand(32791); // Open
    return PumpUntil(
        [this] {
            return Frame().ActiveView() == &Camera() && Camera().HostWindow()->isVisible() &&
                   Camera().IsConnected();
        },
        timeoutMs);
}
