#pragma once
// The main window: three views in one place, of which one is shown and active at a time — the
// collection view (the start view), the camera view and the grid view — and the command bar of
// the active view's resource set. Commands go to the active view first, then to the frame,
// then to the application object. In full screen the window fills the screen and the camera
// view and the grid show without menu and toolbar; the window's place and full-screen state are
// kept in "/View" of the settings.

#include "app/shell/commandbar.h"
#include "app/shell/view.h"

#include <QMainWindow>
#include <QPointer>

class CameraView;
class ContainerView;
class GridView;
class QStackedWidget;
class QScreen;
class ZelPPCApp;

class MainFrame : public QMainWindow, public ViewFrame {
  public:
    explicit MainFrame(ZelPPCApp& app);
    ~MainFrame() override;

    // Makes the view of resource set 130 (collection), 128 (camera) or 131 (grid) the active one.
    void OnViewChange(int resourceSet);
    // Back from the camera view: to the grid it was opened from, else to the collection.
    void OnViewCameras();
    void OnViewCameraView();
    void OnViewGrid();

    // ViewFrame. The camera view comes back to the view that opened it.
    CommandBar& Bar() override { return bar; }
    QWidget* MainWindow() override { return this; }
    void OpenCamera(const QString& itemPath) override;
    void OpenGrid(const QString& itemPath) override;
    // The camera view on the item, at that moment (ms since 1970) when its replay memory still
    // holds it, else live.
    void OpenCameraAt(const QString& itemPath, int64_t atMs);

    // Around property sheets: the bar is emptied, then built again for the current set.
    void ResetCommandBar();
    void RebuildCommandBar();

    // Routes a command: active view, frame, application. True when someone handled it.
    bool OnCommand(int command);

    // kept: the next start restores it (the user's choice); not for a full screen the command
    // line asked for this start only.
    void SetFullScreen(bool on, bool kept = true);
    bool IsFullScreen() const { return fullScreen; }
    // Keeps the window's size, position and full-screen state in the settings.
    void SavePlacement();
    // Moves the window, centred, to the screen, which a full screen then fills, for this start
    // only: the place saved for the next start stays as it was.
    void PutOnScreen(QScreen* screen);
    // The first window's place on a screen of this free area: two thirds of it, centred, on a
    // screen larger than 800x800; none (empty) on a smaller one, where the handheld size stays.
    static QRect FirstPlacement(const QRect& available);
    // A saved place brought within a screen's free area: no larger than it, and moved inside it.
    static QRect FitPlacement(QRect placed, const QRect& available);

    // A recording started, ended or stopped by itself: the marks over the pictures follow.
    void ShowRecordingState();

    ContainerView* CollectionView() const { return collectionView; }
    CameraView* CameraViewWindow() const { return cameraView; }
    GridView* Grid() const { return gridView; }
    View* ActiveView() const { return activeView; }

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // The bar of that set of commands, with the checks the frame keeps (full screen, motion).
    void BuildBar(int resourceSet);
    View* ViewOfSet(int resourceSet) const;
    void AddShortcut(const QKeySequence& keys, int command);
    void RestorePlacement();
    // The window's place when it is neither in full screen nor maximized.
    QRect NormalGeometry() const;
    // A place within a screen's free area: the screen under its middle, else the window's own.
    QRect OnAScreen(QRect placed) const;
    // The menu and toolbar: hidden in full screen, but for the collection view.
    void ShowBars();

    ZelPPCApp& app;
    CommandBar bar;
    QStackedWidget* views;
    ContainerView* collectionView;
    CameraView* cameraView;
    GridView* gridView;
    View* activeView = nullptr;
    int cameraReturnSet; // where the camera view goes back to
    bool updated = false;
    bool fullScreen = false;
    bool keptFullScreen = false; // what the next start restores: not a full screen of this start only
    QRect normalPlacement;       // while in full screen (and from the settings until then)
    QPointer<QScreen>
        chosenScreen;    // the one the command line chose, filled in full screen; null once unplugged
    QRect keptPlacement; // the place saved before the command line chose a screen
};
