#pragma once
// The Motion page of a camera or live view site: whether its pictures are looked at for motion,
// how keenly, the smallest moving area, the areas where nothing counts (drawn on the camera's
// live picture, which the page shows from the first time it is opened), and recording on motion.

#include "platform/com/comptr.h"
#include "platform/ui/propertypage.h"

class Camera;
class ControlHost;
class ICamImage;
class MotionMaskEditor;
class QCheckBox;
class QDoubleSpinBox;
class QPushButton;
class QSpinBox;

class CameraConfMotion : public PropertyPage {
  public:
    explicit CameraConfMotion(Camera& camera);
    ~CameraConfMotion() override;

    // The first time: the camera's live picture under the areas.
    void OnSetActive() override;

    MotionMaskEditor* Mask() const { return mask; }

  protected:
    void DoDataExchange(DataExchange& dx) override;

  private:
    // The live picture of the camera as the other pages give it now: again after a change of its
    // address, user name or password.
    void ShowPicture();
    bool CreatePicture();
    void Enable();

    Camera& camera;
    QCheckBox* detectBox;
    QSpinBox* sensitivitySpin;
    QDoubleSpinBox* areaSpin;
    MotionMaskEditor* mask;
    QPushButton* clearButton;
    QCheckBox* recordBox;
    QSpinBox* beforeSpin;
    QSpinBox* afterSpin;
    ComPtr<ICamImage> control;
    ControlHost* host = nullptr;
    QString shownCamera; // the URL, user name and password shown
};
