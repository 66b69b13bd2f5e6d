#pragma once
// The camera's resolution, rotation and video source, offered as its camera type allows. When
// the page is opened after the address changed, it identifies the camera first.

#include "app/dialogs/cameratypepage.h"

class QComboBox;

class CameraConfImage : public CameraTypePage {
  public:
    explicit CameraConfImage(Camera& camera);

    // Identifies the camera when its address is not the one last checked, then offers the
    // choices of its camera type.
    void OnSetActive() override;

  protected:
    void DoDataExchange(DataExchange& dx) override;

  private:
    void FillLists();

    QComboBox* resolutionList;
    QComboBox* rotationList;
    QComboBox* sourceList;
};
