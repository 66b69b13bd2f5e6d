#pragma once
// The name of a live view site and the URL its pictures come from.

#include "platform/ui/propertypage.h"
#include "settings/path.h"

class Camera;
class QLineEdit;

class CameraConfGeneralLiveSite : public PropertyPage {
  public:
    CameraConfGeneralLiveSite(Camera& site, const Path& currentPath);

  protected:
    void DoDataExchange(DataExchange& dx) override;

  private:
    Camera& site;
    const Path& currentPath;
    QLineEdit* nameEdit;
    QLineEdit* urlEdit;
};
