#pragma once
// The whole viewer in the test process, offscreen, on a data root of its own, with the stream
// control loaded from the build, message boxes and modal dialogs answered by the test, and the
// log lines kept for checks of what happened in which order.

#include "app/shell/cameraview.h"
#include "app/shell/containerview.h"
#include "app/shell/mainframe.h"
#include "app/shell/zelppcapp.h"

#include "collection/collectiontree.h"
#include "platform/ui/controlhost.h"
#include "tests/support/camsimfixture.h"
#include "tests/support/eventloop.h"
#include "tests/support/qtprinters.h"
#include "tests/support/temporarydataroot.h"

#include <QStringList>

#include <functional>

#include <gtest/gtest.h>

#include <memory>
#include <mutex>

class QDialog;

class ViewerTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the viewer (InitInstance) and waits for its first update.
    void Start();
    // Ends the viewer when it runs and starts it again as a wall display: `zelppc --open path
    // [--grid]`.
    void StartUnattended(const QString& path, bool grid = false);
    // Ends it as closing the window does: Exit, then the application's exit.
    void Exit();

    MainFrame& Frame() { return *app->Frame(); }
    ContainerView& Collection() { return *Frame().CollectionView(); }
    CameraView& Camera() { return *Frame().CameraViewWindow(); }
    CollectionTree& Tree() { return *Collection().Tree(); }
    QString Selected();

    // Log lines so far (without their stamps) and whether they hold a text.
    QStringList Log();
    bool Logged(const QString& text);
    // The index of the first log line holding the text at or after from, or -1.
    int LogIndex(const QString& text, int from = 0);

    // Adds a camera item pointing at a simulated camera.
    void AddCamera(const QString& path, const InProcessCamsim& camera, const QString& model = "Alder",
                   const QString& firmware = "2.10");
    // The main window active, a key pressed in the widget, as a person does.
    void PressKey(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // The next password prompt is answered with these and OK; look sees the dialog first.
    static void QueueCredentials(const QString& user, const QString& password,
                                 const std::function<void(QDialog*)>& look = {});
    // Selects and opens an item, and waits until its stream has started (true) or not.
    bool OpenAndWaitForStream(const QString& path, int timeoutMs = 5000);

    TemporaryDataRoot root;
    std::unique_ptr<ZelPPCApp> app;

  private:
    std::mutex logLock;
    QStringList logLines;
    QString partial;
};
