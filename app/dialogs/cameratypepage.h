#pragma once
// A camera page that identifies the camera's type: it owns the identification and answers the
// progress dialog's polls while one runs.

#include "app/dialogs/cameratypecheck.h"

#include "platform/ui/propertypage.h"

class Camera;

class CameraTypePage : public PropertyPage {
  public:
    // A poll of the progress dialog while the identification runs.
    void OnCheckCameraType();

    CameraTypeLookup& TypeLookup() { return typeCheck.TypeLookup(); }

  protected:
    CameraTypePage(const QString& caption, Camera& camera, const CameraTypeCheck::Manner& manner);

    void OnMessage(uint32_t message, intptr_t wParam, intptr_t lParam) override;

    Camera& camera;
    CameraTypeCheck typeCheck;
};
