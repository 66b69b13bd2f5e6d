#pragma once
// Lets the user name the camera's model by hand when identifying it over the network failed:
// a model of the camera type table, or any text typed in.

#include "platform/ui/dialog.h"

#include <QString>

// The model of cameras whose type is not known, as the camera type table and the cameras' settings
// name it; the user sees it as "Unknown".
inline constexpr char kUnknownModel[] = "unknown";

class QComboBox;
class QLabel;

class ManualCameraTypeDlg : public Dialog {
  public:
    ManualCameraTypeDlg(const QString& address, QWidget* parent = nullptr);

    // The model after OK: the chosen or typed name, "unknown" for "Unknown" or no name at all.
    QString GetCameraType() const;

  protected:
    void OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;

  private:
    QString address;
    QLabel* text;
    QComboBox* typeBox;
    QString chosenType;
};
