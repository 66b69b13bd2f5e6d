#pragma once
// The camera's name, network address and port, and the check of its camera type with the
// identification's result.

#include "app/dialogs/cameratypepage.h"

#include "settings/path.h"

class QLabel;
class QLineEdit;
class QPushButton;

class CameraConfGeneral : public CameraTypePage {
  public:
    // The page edits the sheet's record; currentPath is the camera's path until it is written.
    CameraConfGeneral(Camera& camera, const Path& currentPath);

    // "Check Camera Type": takes the page's data and identifies the camera at its address.
    void OnCheckBtn();

  protected:
    void DoDataExchange(DataExchange& dx) override;

  private:
    // The record's Model and Firmware, "Unknown" standing for the unknown model.
    QString TypeLine() const;

    const Path& currentPath;
    QLineEdit* nameEdit;
    QLineEdit* addressEdit;
    QLineEdit* portEdit;
    QPushButton* checkButton;
    QLabel* typeValue;
    QLabel* statusValue;
};
