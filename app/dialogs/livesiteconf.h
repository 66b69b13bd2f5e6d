#pragma once
// The property sheet of a live view site: general (name, URL), security, folder and motion
// pages.

#include "app/dialogs/cameraitemsheet.h"

class LiveSiteConf : public CameraItemSheet {
  public:
    // The live view site itemName of the folder; a new one when itemName is empty.
    LiveSiteConf(QWidget* parent, const Path& folder, const QString& itemName);
};
