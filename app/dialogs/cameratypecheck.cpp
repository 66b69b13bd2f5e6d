#include "app/dialogs/cameratypecheck.h"

#include "app/dialogs/manualcameratypedlg.h"
#include "app/dialogs/progressdlg.h"
#include "app/resources/resource.h"

#include "cameratype/identification.h"
#include "collection/camera.h"
#include "foundation/log.h"
#include "foundation/text.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/messages.h"
#include "platform/ui/waitcursor.h"

#include <QGuiApplication>

CameraTypeCheck::CameraTypeCheck(QWidget* page, const Manner& manner) : page(page), manner(manner) {}

void CameraTypeCheck::Run(Camera& camera) {
    QString model;
    QString firmware;
    bool found = false;
    {
        const WaitCursor waiting;
        found = lookup.Lookup(camera.address, camera.port, camera.userName, camera.password,
                              GetIdentifyTimes().firstWaitMs, model, firmware);
    }
    if (found) {
        LogTrace(manner.function, "Loookup succeded in first attempt");
        camera.model = model;
        camera.firmware = firmware;
        camera.status = LoadResText(Str::StatusOk);
    } else if (manner.unauthorizedEndsAtOnce && lookup.IsUnauthorized()) {
        camera.model = QString::fromLatin1(kUnknownModel);
        camera.firmware.clear();
    } else {
        LogTrace(manner.function, "Lookup not done yet, wait a little longer");
        if (WaitWithProgress(camera.address) == IDCANCEL && !lookup.IsUnauthorized()) {
            LogTrace(manner.function, "Timeout or user cancel");
            lookup.Cancel();
            AskForModel(camera);
        }
        if (manner.logDialogDone)
            LogTrace(manner.function, "Dialog done");
    }
    LogState(manner.function, "Cameratype '%S %S'", Wide(camera.model), Wide(camera.firmware));
}

int CameraTypeCheck::WaitWithProgress(const QString& address) {
    const IdentifyTimes times = GetIdentifyTimes();
    ProgressDlg dialog(page);
    dialog.SetUp(static_cast<int>(times.timeLimitMs),
                 LoadResText(Str::RetrievingCameraType).replace(QLatin1String("%ADDRESS%"), address),
                 WM_USER + Message::CheckCameraType);
    dialog.SetStepPeriod(times.pollIntervalMs);
    progress = &dialog;
    const int result = dialog.DoModal();
    progress = nullptr;
    return result;
}

void CameraTypeCheck::OnCheckCameraType(Camera& camera) {
    // A poll that was still queued when the dialog closed has nothing left to report to.
    if (!progress)
        return;
    if (!lookup.IsDone()) {
        if (manner.tracePolls)
            LogTrace(manner.pollFunction, "myCameraTypeLookup.Is NOT Done");
        return;
    }
    if (manner.tracePolls)
        LogTrace(manner.pollFunction, "myCameraTypeLookup.IsDone");
    QString model;
    QString firmware;
    if (lookup.Collect(0, model, firmware)) {
        if (manner.tracePolls)
            LogTrace(manner.pollFunction, "got result");
        camera.model = model;
        camera.firmware = firmware;
        camera.status = LoadResText(Str::StatusOk);
        progress->CloseDone();
        LogState(manner.pollFunction, "Cameratype '%S %S'", Wide(camera.model), Wide(camera.firmware));
    } else {
        LogError(manner.pollFunction, "Error while retreiving name and version for '%S'",
                 Wide(camera.address));
        progress->CloseCancelled();
    }
}

void CameraTypeCheck::AskForModel(Camera& camera) {
    ManualCameraTypeDlg dialog(camera.address, page);
    if (dialog.DoModal() == IDOK) {
        camera.firmware.clear();
        camera.model = dialog.GetCameraType();
        camera.status = LoadResText(Str::StatusManualSet);
    } else {
        camera.status = LoadResText(Str::StatusCheckFailed);
    }
}

bool CameraTypeCheck::TellIfUnauthorized() {
    if (!lookup.IsUnauthorized())
        return false;
    MessageBox(page, LoadResText(Str::NeedsPassword), QGuiApplication::applicationDisplayName(), MB_OK);
    return true;
}
