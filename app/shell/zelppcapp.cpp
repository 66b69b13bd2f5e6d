#include "app/shell/zelppcapp.h"

#include "app/dialogs/aboutdlg.h"
#include "app/dialogs/recordingsdlg.h"
#include "app/resources/resource.h"
#include "app/resources/strings.h"
#include "app/shell/cameraview.h"
#include "app/shell/helpwindow.h"
#include "app/shell/maindoc.h"
#include "app/shell/mainframe.h"
#include "app/shell/motionalerts.h"
#include "app/shell/recordedcamera.h"
#include "app/shell/recordings.h"

#include "collection/itemtype.h"
#include "foundation/log.h"
#include "foundation/text.h"
#include "foundation/thread.h"
#include "platform/com/runtime.h"
#include "platform/fs/dataroot.h"
#include "platform/ui/messagebox.h"
#include "settings/settingsstore.h"

#include <QApplication>
#include <QScreen>

#include <csignal>
#include <cstdio>

namespace {

ZelPPCApp* instance = nullptr;

void ThreadMessageBox(const QString& text) {
    MessageBox(nullptr, text, LoadResText(Str::AppTitle), MB_OK);
}

} // namespace

ZelPPCApp::ZelPPCApp() {
    instance = this;
}

ZelPPCApp::~ZelPPCApp() {
    delete frame;
    if (instance == this)
        instance = nullptr;
}

ZelPPCApp* ZelPPCApp::Instance() {
    return instance;
}

bool ZelPPCApp::InitInstance(const StartOptions& options) {
    RegisterViewerStrings();
    // The log first, so that a damaged settings file is reported in the log file too.
    StartDiagLog(u"ZelPPC", u"ZelPPCApp::InitInstance", GetVersionText());
    const LoadResult settings = ::LoadSettings();
    if (!CheckStartItem(options) || !CheckScreen(options)) {
        if (settings.status == LoadStatus::Damaged) // told now or never: the file has been moved aside
            std::fprintf(stderr, "%s\n", qPrintable(DamagedSettingsText(settings)));
        return false;
    }
    unattended = !options.openPath.isEmpty();

    // Sockets: a peer that closes while a command is being written must not end the process.
    std::signal(SIGPIPE, SIG_IGN);
    Thread::SetMessageBox(&ThreadMessageBox);
    SetHelpViewer(&HelpWindow::Show);
    QApplication::setWindowIcon(ApplicationIcon());

    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (com != S_OK && com != S_FALSE) {
        MessageBox(nullptr, QStringLiteral("COM could not be not initialized"), LoadResText(Str::AppTitle),
                   MB_OK | MB_ICONSTOP);
        return false;
    }

    alerts = std::make_unique<MotionAlerts>(DataRoot(), [this](const QString& itemPath, int64_t atMs) {
        if (frame)
            frame->OpenCameraAt(itemPath, atMs);
    });
    document = std::make_unique<MainDoc>();
    document->OnOpenDocument(QString::fromUtf16(kStartDocument));
    frame = new MainFrame(*this);
    QObject::connect(frame, &QObject::destroyed, [this] { frame = nullptr; });
    if (options.fullScreen)
        frame->SetFullScreen(true, false); // for this start only
    if (options.screen >= 0)
        frame->PutOnScreen(QGuiApplication::screens().at(options.screen));
    frame->show();
    frame->repaint();
    recordings = std::make_unique<Recordings>(frame, alerts.get(), [this] {
        if (frame)
            frame->ShowRecordingState();
    });
    recordings->Resume();
    if (settings.status == LoadStatus::Damaged) {
        // Once the main window is on screen, with the window as the box's owner.
        QMetaObject::invokeMethod(
            frame, [this, settings] { TellDamagedSettings(settings); }, Qt::QueuedConnection);
    }
    OpenStartItem(options);
    return true;
}

QString ZelPPCApp::DamagedSettingsText(const LoadResult& settings) {
    const QString file = DevicePath(QString::fromUtf16(kSettingsFile));
    return settings.keptAs.isEmpty()
               ? FormatText(LoadResText(Str::SettingsDamagedNotMoved), {file})
               : FormatText(LoadResText(Str::SettingsDamagedKept), {file, settings.keptAs});
}

void ZelPPCApp::TellDamagedSettings(const LoadResult& settings) {
    const QString text = DamagedSettingsText(settings);
    if (unattended) { // a wall display is not stopped by a box: the log and the terminal have it
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return;
    }
    MessageBox(frame, text, LoadResText(Str::AppTitle), MB_OK | MB_ICONEXCLAMATION);
}

bool ZelPPCApp::CheckStartItem(const StartOptions& options) {
    if (options.openPath.isEmpty() || !FindItemPath(options.openPath).isEmpty())
        return true;
    return RefuseStart(FormatText(LoadResText(Str::NoItemAtPath), {options.openPath}));
}

bool ZelPPCApp::CheckScreen(const StartOptions& options) {
    const qsizetype screens = QGuiApplication::screens().size();
    if (options.screen < screens)
        return true;
    return RefuseStart(FormatText(LoadResText(Str::NoSuchScreen),
                                  {IntToText(options.screen), IntToText(static_cast<int>(screens) - 1)}));
}

bool ZelPPCApp::RefuseStart(const QString& text) {
    LogError(u"ZelPPCApp::InitInstance", "%S", Wide(text));
    std::fprintf(stderr, "%s\n", qPrintable(text));
    failedStartCode = 2;
    return false;
}

void ZelPPCApp::OpenStartItem(const StartOptions& options) {
    // Without the stream control the collection view explains and closes the viewer.
    if (options.openPath.isEmpty() || !frame->CameraViewWindow()->ControlCreated())
        return;
    const QString path = FindItemPath(options.openPath);
    const ItemType type = GetItemType(Path(path));
    LogTrace(u"ZelPPCApp::InitInstance", "Open '%S'%S", Wide(path), options.grid ? u" as a grid" : u"");
    Settings().SetValue("/Collection/SelectedPath", Data(path));
    if (options.grid || type == ItemType::Folder) {
        frame->OpenGrid(path);
    } else {
        frame->OpenCamera(path);
    }
}

int ZelPPCApp::ExitInstance() {
    LogInfo(u"ZelPPCApp::ExitInstance", "Exit");
    recordings.reset(); // every recording's file is closed
    if (frame)
        frame->SavePlacement();
    delete frame; // when the window closed on its own, it is gone already (its place is kept)
    CoUninitialize();
    SaveSettings();
    return exitCode;
}

void ZelPPCApp::SaveSettings() {
    ::SaveSettings();
}

bool ZelPPCApp::OnCommand(int command) {
    switch (command) {
    case Command::AppAbout:
        OnAppAbout();
        return true;
    case Command::Help:
        OnHelp();
        return true;
    case Command::Recordings:
        ShowRecordings();
        return true;
    case Command::MotionEvents:
    case Command::MotionToBigPlace:
    case Command::MotionBell:
        return frame && alerts->OnCommand(command, frame, frame->Bar());
    case Command::AppExit:
        if (frame)
            frame->close();
        return true;
    default:
        return false;
    }
}

void ZelPPCApp::OnHelp() {
    if (helpAnchor.isEmpty())
        return;
    ShowHelp(QStringLiteral("zelppc.htm"), helpAnchor);
}

void ZelPPCApp::ShowRecordings() {
    QStringList lines;
    for (const RecordedCamera* camera : recordings->Cameras()) {
        const QString state = !camera->Failure().isEmpty() ? camera->Failure()
                              : camera->Writing()          ? LoadResText(Str::RecordingsWriting)
                              : camera->OnMotion()         ? LoadResText(Str::RecordingsOnMotion)
                                                           : LoadResText(Str::RecordingsWaiting);
        lines.append(camera->Name() + QStringLiteral(": ") + state);
    }
    RecordingsDlg dialog(frame, lines, Recordings::Root());
    dialog.DoModal();
}

void ZelPPCApp::OnAppAbout() {
    AboutDlg about(frame);
    about.DoModal();
}
