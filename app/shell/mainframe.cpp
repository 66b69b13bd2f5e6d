#include "app/shell/mainframe.h"

#include "app/dialogs/aboutdlg.h"
#include "app/resources/resource.h"
#include "app/shell/cameraview.h"
#include "app/shell/containerview.h"
#include "app/shell/gridview.h"
#include "app/shell/helpwindow.h"
#include "app/shell/motionalerts.h"
#include "app/shell/zelppcapp.h"

#include "foundation/log.h"
#include "foundation/text.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/messages.h"
#include "settings/settingsstore.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenuBar>
#include <QScreen>

#include <QShortcut>
#include <QStackedWidget>
#include <algorithm>

namespace {

constexpr int kMinimumSide = 160; // a kept window size smaller than this is not restored

} // namespace

MainFrame::MainFrame(ZelPPCApp& application)
    : app(application), bar(this, [this](int command) { OnCommand(command); }),
      views(new QStackedWidget(this)), cameraReturnSet(ResourceSet::CollectionView) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(LoadResText(Str::AppTitle));
    resize(480, 640);
    setCentralWidget(views);

    collectionView = new ContainerView(this);
    cameraView = new CameraView(this, *this);
    gridView = new GridView(this, *this);
    views->addWidget(collectionView);
    views->addWidget(cameraView);
    views->addWidget(gridView);
    views->setCurrentWidget(collectionView);
    activeView = collectionView;

    // The Action key (Enter) of every view, and Help.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        AddShortcut(QKeySequence(key), Command::Action);
        AddShortcut(QKeySequence(Qt::SHIFT | key), Command::ViewAsGrid);
    }
    AddShortcut(QKeySequence::HelpContents, Command::Help);
    AddShortcut(QKeySequence(Qt::Key_F11), Command::FullScreen);
    AddShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), Command::SavePicture);
    // Plus is also the key it shares with "=" on many keyboards, and the keypad's.
    for (const auto key : {Qt::Key_Plus, Qt::Key_Equal})
        AddShortcut(QKeySequence(Qt::CTRL | key), Command::PictureZoomIn);
    AddShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus), Command::PictureZoomOut);
    AddShortcut(QKeySequence(Qt::CTRL | Qt::Key_0), Command::WholePicture);
    AddShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), Command::Record);
    AddShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), Command::SaveClip);
    // Escape leaves full screen first, then goes back.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] {
        if (fullScreen) {
            SetFullScreen(false);
        } else {
            OnCommand(Command::Back);
        }
    });

    bar.Build(ResourceSet::CollectionView);
    MotionAlerts::CheckItems(bar);
    RestorePlacement();
}

MainFrame::~MainFrame() = default;

void MainFrame::AddShortcut(const QKeySequence& keys, int command) {
    auto* shortcut = new QShortcut(keys, this);
    connect(shortcut, &QShortcut::activated, this, [this, command] { OnCommand(command); });
}

void MainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!updated) {
        updated = true;
        activeView->OnActivateView(true, activeView, nullptr);
        // After the window is on screen, as the platform updates a view when the frame first shows it.
        QMetaObject::invokeMethod(
            this, [this] { collectionView->OnUpdate(); }, Qt::QueuedConnection);
    }
}

void MainFrame::closeEvent(QCloseEvent* event) {
    SavePlacement();
    // The help window goes with the viewer, which ends when its last window has closed.
    HelpWindow::Close();
    QMainWindow::closeEvent(event);
}

View* MainFrame::ViewOfSet(int resourceSet) const {
    switch (resourceSet) {
    case ResourceSet::CameraView:
        return cameraView;
    case ResourceSet::GridView:
        return gridView;
    default:
        return collectionView;
    }
}

void MainFrame::OnViewChange(int resourceSet) {
    View* next = ViewOfSet(resourceSet);
    View* previous = activeView;
    if (next == previous)
        return;
    BuildBar(resourceSet);
    views->setCurrentWidget(next);
    activeView = next;
    ShowBars();
    previous->OnActivateView(false, next, previous);
    next->OnActivateView(true, next, previous);
}

void MainFrame::OnViewCameras() {
    if (activeView == cameraView && cameraReturnSet == ResourceSet::GridView) {
        cameraReturnSet = ResourceSet::CollectionView;
        OnViewChange(ResourceSet::GridView);
        return;
    }
    OnViewChange(ResourceSet::CollectionView);
}

void MainFrame::OnViewCameraView() {
    LogTrace(u"MainFrame::OnViewCameraView", "show the camera view");
    if (activeView == cameraView)
        BuildBar(ResourceSet::CameraView); // another camera in the view shown: its commands afresh
    else
        OnViewChange(ResourceSet::CameraView);
    PostMessage(cameraView, WM_USER + Message::StartCamera);
}

void MainFrame::OnViewGrid() {
    LogTrace(u"MainFrame::OnViewGrid", "show the grid");
    OnViewChange(ResourceSet::GridView);
}

void MainFrame::OpenCamera(const QString& itemPath) {
    // Opened from the camera view (an event's moment), the view goes back where it would have.
    if (activeView != cameraView)
        cameraReturnSet = activeView == gridView ? ResourceSet::GridView : ResourceSet::CollectionView;
    cameraView->SetItem(itemPath);
    PostMessage(this, WM_USER + Message::ViewCameraView);
}

void MainFrame::OpenCameraAt(const QString& itemPath, int64_t atMs) {
    if (!Settings().Exists(Path(itemPath))) { // an event of a camera renamed, moved or deleted since
        MessageBox(QApplication::activeWindow(),
                   FormatText(LoadResText(Str::CameraGone), {itemPath.section('/', -1)}),
                   LoadResText(Str::AppTitle), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    OpenCamera(itemPath);
    cameraView->ShowMoment(atMs);
}

void MainFrame::OpenGrid(const QString& itemPath) {
    gridView->SetItem(itemPath);
    PostMessage(this, WM_USER + Message::ViewGrid);
}

void MainFrame::ResetCommandBar() {
    bar.Reset();
}

void MainFrame::BuildBar(int resourceSet) {
    bar.Build(resourceSet);
    bar.SetChecked(Command::FullScreen, fullScreen);
    MotionAlerts::CheckItems(bar);
}

void MainFrame::RebuildCommandBar() {
    BuildBar(bar.CurrentSet());
    if (activeView == cameraView)
        cameraView->AdjustMenu();
}

bool MainFrame::OnCommand(int command) {
    if (activeView && activeView->OnCommand(command))
        return true;
    switch (command) {
    case Command::ViewCameras:
        OnViewCameras();
        return true;
    case Command::FullScreen:
        SetFullScreen(!fullScreen);
        return true;
    case Command::AboutLumenfold: {
        AboutDlg about(this);
        about.DoModal();
        return true;
    }
    default:
        return app.OnCommand(command);
    }
}

bool MainFrame::event(QEvent* event) {
    if (event->type() == WindowMessageEvent::kType) {
        const auto* message = static_cast<const WindowMessageEvent*>(event);
        if (message->message == WM_COMMAND) {
            OnCommand(static_cast<int>(message->wParam));
        } else if (message->message == WM_USER + Message::ViewCameraView) {
            OnViewCameraView();
        } else if (message->message == WM_USER + Message::ViewGrid) {
            OnViewGrid();
        }
        return true;
    }
    return QMainWindow::event(event);
}

// ---- full screen and the window's place

void MainFrame::SetFullScreen(bool on, bool kept) {
    LogTrace(u"MainFrame::SetFullScreen", "full screen %d", on ? 1 : 0);
    if (kept)
        keptFullScreen = on;
    if (on && !fullScreen && !normalPlacement.isValid())
        normalPlacement = NormalGeometry();
    fullScreen = on;
    // Without a window manager (a wall display's own X server) nobody else makes it fill the
    // screen; set before the state, which a new geometry would clear.
    const Qt::WindowStates state = windowState();
    // The screen the command line chose, until the window is shown; then the one it is on.
    if (QScreen* filled = chosenScreen && !isVisible() ? chosenScreen.data() : screen(); on && filled)
        setGeometry(filled->geometry());
    setWindowState(on ? state | Qt::WindowFullScreen : state & ~Qt::WindowFullScreen);
    // Not every window system gives a window that started in full screen its place back.
    if (!on && normalPlacement.isValid() && !(windowState() & Qt::WindowMaximized))
        setGeometry(OnAScreen(normalPlacement)); // its screen may have gone meanwhile
    if (!on)
        normalPlacement = QRect();
    bar.SetChecked(Command::FullScreen, on);
    ShowBars();
}

QRect MainFrame::NormalGeometry() const {
    if (fullScreen && normalPlacement.isValid())
        return normalPlacement;
    return normalGeometry().isEmpty() ? geometry() : normalGeometry();
}

void MainFrame::ShowBars() {
    const bool hidden = fullScreen && activeView != collectionView;
    menuBar()->setVisible(!hidden);
    bar.SetVisible(!hidden);
}

void MainFrame::ShowRecordingState() {
    cameraView->PlaceRecordMark();
    if (activeView)
        activeView->update(); // with the tiles in it, whose dots are drawn anew
}

void MainFrame::SavePlacement() {
    const QRect normal = keptPlacement.isValid() ? keptPlacement : NormalGeometry();
    const Node view = Settings().GetNode("/View");
    view.SetValue("WindowX", Data(normal.x()));
    view.SetValue("WindowY", Data(normal.y()));
    view.SetValue("WindowWidth", Data(normal.width()));
    view.SetValue("WindowHeight", Data(normal.height()));
    view.SetValue("FullScreen", Data(keptFullScreen));
}

void MainFrame::PutOnScreen(QScreen* chosen) {
    chosenScreen = chosen;
    keptPlacement = NormalGeometry();
    QRect placed = keptPlacement;
    placed.moveCenter(chosen->availableGeometry().center());
    placed = FitPlacement(placed, chosen->availableGeometry());
    if (fullScreen) {
        normalPlacement = placed;
        SetFullScreen(true, keptFullScreen); // fills the chosen screen
    } else {
        setGeometry(placed);
    }
}

QRect MainFrame::FitPlacement(QRect placed, const QRect& available) {
    placed.setSize(placed.size().boundedTo(available.size()));
    placed.moveLeft(std::clamp(placed.left(), available.left(), available.right() - placed.width() + 1));
    placed.moveTop(std::clamp(placed.top(), available.top(), available.bottom() - placed.height() + 1));
    return placed;
}

QRect MainFrame::OnAScreen(QRect placed) const {
    const QScreen* under = QGuiApplication::screenAt(placed.center());
    const QScreen* target = under ? under : screen();
    if (!target)
        return placed;
    if (!under) // a screen that is no longer there: the same size, in the middle of this one
        placed.moveCenter(target->availableGeometry().center());
    return FitPlacement(placed, target->availableGeometry());
}

QRect MainFrame::FirstPlacement(const QRect& available) {
    if (available.width() <= 800 || available.height() <= 800)
        return QRect();
    QRect placed(0, 0, available.width() * 2 / 3, available.height() * 2 / 3);
    placed.moveCenter(available.center());
    return placed;
}

void MainFrame::RestorePlacement() {
    const Node view = Settings().GetNode("/View");
    const QRect placed(view.GetValue("WindowX").GetInt(), view.GetValue("WindowY").GetInt(),
                       view.GetValue("WindowWidth").GetInt(), view.GetValue("WindowHeight").GetInt());
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!view.Exists("WindowWidth") && primary) {
        // The first start: on a desktop's screen, a window sized for it.
        if (const QRect first = FirstPlacement(primary->availableGeometry()); first.isValid())
            setGeometry(first);
    } else if (placed.width() >= kMinimumSide && placed.height() >= kMinimumSide) {
        setGeometry(OnAScreen(placed)); // saved on a screen that is gone, or a larger one
    }
    if (view.GetValue("FullScreen").GetBool())
        SetFullScreen(true);
}
