#include "app/dialogs/cameratypepage.h"

#include "app/resources/resource.h"

#include "platform/ui/messages.h"

CameraTypePage::CameraTypePage(const QString& caption, Camera& camera, const CameraTypeCheck::Manner& manner)
    : PropertyPage(caption), camera(camera), typeCheck(this, manner) {}

void CameraTypePage::OnCheckCameraType() {
    typeCheck.OnCheckCameraType(camera);
}

void CameraTypePage::OnMessage(uint32_t message, intptr_t, intptr_t) {
    if (message == WM_USER + Message::CheckCameraType)
        OnCheckCameraType();
}
