#pragma once
// The property sheet of a camera: general (name, address, port, camera type), image, security,
// folder and motion pages.

#include "app/dialogs/cameraitemsheet.h"

class CameraConfGeneral;
class CameraConfImage;

class CameraConf : public CameraItemSheet {
  public:
    // The camera itemName of the folder; a new camera when itemName is empty.
    CameraConf(QWidget* parent, const Path& folder, const QString& itemName);

    CameraConfGeneral* General() const { return general; }
    CameraConfImage* Image() const { return image; }

  private:
    CameraConfGeneral* general;
    CameraConfImage* image;
};
