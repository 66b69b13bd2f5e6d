#include "app/mainframe.h"

#include "app/aboutdlg.h"
#include "app/cameraview.h"
#include "app/containerview.h"
#include "app/helpwindow.h"
#include "app/resource.h"
#include "app/zelppcapp.h"

#include "foundation/log.h"
#include "foundation/text.h"
#include "platform/ui/messages.h"

#include <QKeySequence>
#include <QShortcut>
#include <QStackedWidget>

MainFrame::MainFrame(ZelPPCApp& application)
    : app(application), bar(this, [this](int command) { OnCommand(command); }), views(new QStackedWidget(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(LoadResText(Str::AppTitle));
    resize(480, 640);
    setCentralWidget(views);

    collectionView = new ContainerView(this);
    cameraView = new CameraView(this, *this);
    views->addWidget(collectionView);
    views->addWidget(cameraView);
    views->setCurrentWidget(collectionView);
    activeView = collectionView;

    // The Action key (Enter) of both views, Escape, Help, and keeping the picture.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) AddShortcut(QKeySequence(key), Command::Action);
    AddShortcut(QKeySequence(Qt::Key_Escape), Command::Back);
    AddShortcut(QKeySequence::HelpContents, Command::Help);
    AddShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), Command::SavePicture);

    bar.Build(ResourceSet::CollectionView);
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
        QMetaObject::invokeMethod(this, [this] { collectionView->OnUpdate(); }, Qt::QueuedConnection);
    }
}

void MainFrame::closeEvent(QCloseEvent* event) {
    // The help window goes with the viewer, which ends when its last window has closed.
    HelpWindow::Close();
    QMainWindow::closeEvent(event);
}

View* MainFrame::ViewOfSet(int resourceSet) const {
    return resourceSet == ResourceSet::CameraView ? static_cast<View*>(cameraView) : collectionView;
}

void MainFrame::OnViewChange(int resourceSet) {
    View* next = ViewOfSet(resourceSet);
    View* previous = activeView;
    if (next == previous) return;
    bar.Build(resourceSet);
    views->setCurrentWidget(next);
    activeView = next;
    previous->OnActivateView(false, next, previous);
    next->OnActivateView(true, next, previous);
}

void MainFrame::OnViewCameras() {
    OnViewChange(ResourceSet::CollectionView);
}

void MainFrame::OnViewCameraView() {
    LogTrace(u"MainFrame::OnViewCameraView", "show the camera view");
    OnViewChange(ResourceSet::CameraView);
    PostMessage(cameraView, WM_USER + Message::StartCamera);
}

void MainFrame::OpenCamera(const QString& itemPath) {
    cameraView->SetItem(itemPath);
    PostMessage(this, WM_USER + Message::ViewCameraView);
}

void MainFrame::ResetCommandBar() {
    bar.Reset();
}

void MainFrame::RebuildCommandBar() {
    bar.Build(bar.CurrentSet());
    if (activeView == cameraView) cameraView->AdjustMenu();
}

bool MainFrame::OnCommand(int command) {
    if (activeView && activeView->OnCommand(command)) return true;
    switch (command) {
    case Command::ViewCameras:
        OnViewCameras();
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
        }
        return true;
    }
    return QMainWindow::event(event);
}
