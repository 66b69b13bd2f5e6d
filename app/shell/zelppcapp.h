#pragma once
// The viewer's application object: starts the process in a fixed order (settings, log, sockets,
// component runtime, the main frame with its two views), keeps the current help anchor, and at
// exit logs, shuts the runtime down and saves the settings.

#include "app/shell/startoptions.h"

#include <QString>

#include <memory>

class MainDoc;
struct LoadResult;
class MainFrame;
class MotionAlerts;
class Recordings;

class ZelPPCApp {
  public:
    ZelPPCApp();
    ~ZelPPCApp();
    ZelPPCApp(const ZelPPCApp&) = delete;
    ZelPPCApp& operator=(const ZelPPCApp&) = delete;

    // The one application object of the process, or none.
    static ZelPPCApp* Instance();

    // False when the viewer cannot start (the reason was shown, or for a start item that is not
    // there, written to standard error). With a start item, the viewer starts in its camera
    // view or grid.
    bool InitInstance(const StartOptions& options = StartOptions());
    // The exit code after InitInstance failed: 2 for a start item that is not there, else 1.
    int FailedStartCode() const { return failedStartCode; }
    // Started on an item (--open): a wall display that no one may be watching. No box waits for a
    // person; cameras that fail keep their state on the picture and are tried again.
    static bool RunsUnattended() {
        const ZelPPCApp* app = Instance();
        return app && app->unattended;
    }
    // After the main window has closed; the exit code.
    int ExitInstance();
    // The viewer started but cannot work (no stream control): it closes with the exit code of a
    // viewer that could not start.
    void CouldNotRun() { exitCode = 1; }

    void SaveSettings();
    void SetHelpAnchor(const QString& anchor) { helpAnchor = anchor; }
    QString HelpAnchor() const { return helpAnchor; }

    // Commands the application object handles; true when handled.
    bool OnCommand(int command);
    void OnHelp();
    void OnAppAbout();
    void ShowRecordings();

    MainFrame* Frame() const { return frame; }
    // The cameras being recorded; null before the main window exists and after it has gone.
    Recordings* Recorder() const { return recordings.get(); }
    MotionAlerts* Alerts() const { return alerts.get(); }

  private:
    // Tells the user that the settings file could not be read and where it went.
    static QString DamagedSettingsText(const LoadResult& settings);
    void TellDamagedSettings(const LoadResult& settings);
    // A --screen that names a screen of the window system's list; else a message, exit code 2.
    bool CheckScreen(const StartOptions& options);
    bool CheckStartItem(const StartOptions& options);
    // The command line named what is not there: the text on standard error; false.
    bool RefuseStart(const QString& text);
    void OpenStartItem(const StartOptions& options);

    QString helpAnchor;
    int failedStartCode = 1;
    int exitCode = 0;
    bool unattended = false;
    std::unique_ptr<MainDoc> document;
    std::unique_ptr<MotionAlerts> alerts; // outlives the frame and the recordings, which tell it of motion
    std::unique_ptr<Recordings> recordings;
    MainFrame* frame = nullptr; // deleted when the main window closes
};
