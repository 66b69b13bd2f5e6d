#pragma once
// The user name and password sent to a camera or live view site.

#include "platform/ui/propertypage.h"

class Camera;
class QLineEdit;

class CameraConfSecurity : public PropertyPage {
  public:
    explicit CameraConfSecurity(Camera& camera);

  protected:
    void DoDataExchange(DataExchange& dx) override;

  private:
    Camera& camera;
    QLineEdit* userNameEdit;
    QLineEdit* passwordEdit;
};
