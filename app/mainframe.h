#pragma once
// The main window: two views in one place, of which one is shown and active at a time — the
// collection view (the start view) and the camera view — and the command bar of the active
// view's resource set. Commands go to the active view first, then to the frame, then to the
// application object.

#include "app/commandbar.h"
#include "app/view.h"

#include <QMainWindow>

class CameraView;
class ContainerView;
class QStackedWidget;
class ZelPPCApp;

class MainFrame : public QMainWindow, public ViewFrame {
public:
    explicit MainFrame(ZelPPCApp& app);
    ~MainFrame() override;

    // Makes the view of resource set 130 (collection) or 128 (camera) the active one.
    void OnViewChange(int resourceSet);
    void OnViewCameras();
    void OnViewCameraView();
    // ViewFrame. Hands the item to the camera view and shows it once the current handler has
    // returned.
    CommandBar& Bar() override { return bar; }
    QWidget* MainWindow() override { return this; }
    void OpenCamera(const QString& itemPath) override;

    // Around property sheets: the bar is emptied, then built again for the current set.
    void ResetCommandBar();
    void RebuildCommandBar();

    // Routes a command: active view, frame, application. True when someone handled it.
    bool OnCommand(int command);

    ContainerView* CollectionView() const { return collectionView; }
    CameraView* CameraViewWindow() const { return cameraView; }
    View* ActiveView() const { return activeView; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    View* ViewOfSet(int resourceSet) const;
    void AddShortcut(const QKeySequence& keys, int command);

    ZelPPCApp& app;
    CommandBar bar;
    QStackedWidget* views;
    ContainerView* collectionView;
    CameraView* cameraView;
    View* activeView = nullptr;
    bool updated = false;
};
