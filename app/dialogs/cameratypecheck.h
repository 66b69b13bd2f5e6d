#pragma once
// Identifying a camera's type from a property page: a first short wait, then, if the camera has
// not answered yet, a progress dialog that polls the identification until it ends or its time
// limit passes, then, if nothing was found, the manual type dialog. The result goes into the
// page's camera record (Model, Firmware, Status). The page shows the record afterwards.

#include "cameratype/cameratypelookup.h"

#include <QPointer>
#include <QString>

class Camera;
class ProgressDlg;
class QWidget;

class CameraTypeCheck {
  public:
    // How the pages differ in running an identification.
    struct Manner {
        const char16_t* function;     // the page operation named in the log lines
        const char16_t* pollFunction; // the page's poll, named in its log lines
        bool unauthorizedEndsAtOnce;  // 401 at the first wait: no progress dialog, Model unknown
        bool tracePolls;              // log each poll's state
        bool logDialogDone;
    };

    CameraTypeCheck(QWidget* page, const Manner& manner);

    // Starts identifying the camera at its address and sees it to its end.
    void Run(Camera& camera);
    // The poll of the progress dialog's message: takes the result once the identification has
    // ended and closes the dialog, as done or as cancelled.
    void OnCheckCameraType(Camera& camera);

    // The camera answered with status 401: tells the user so. False, with nothing shown,
    // otherwise.
    bool TellIfUnauthorized();

    // Where the identification reads the FTP greeting; tests and tools point it elsewhere.
    CameraTypeLookup& TypeLookup() { return lookup; }

  private:
    int WaitWithProgress(const QString& address);
    void AskForModel(Camera& camera);

    QWidget* page;
    Manner manner;
    CameraTypeLookup lookup;
    QPointer<ProgressDlg> progress; // while the progress dialog runs
};
