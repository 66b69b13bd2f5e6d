#pragma once
// Asks for a camera's user name and password after the camera refused the stream, and whether
// to keep the password with the camera. The caller sets the current values before running it
// and reads them back after OK. With a camera name the title and the text name the camera; after a refusal
// of what was typed before, the dialog says so above the prompt.

#include "platform/ui/dialog.h"

#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;

class AuthorizationDlg : public Dialog {
  public:
    explicit AuthorizationDlg(QWidget* parent = nullptr);

    QString password;
    bool save = false;
    QString userName;
    QString cameraName;   // empty: the title names no camera
    bool refused = false; // the camera refused the user name and password typed last time

    bool eventFilter(QObject* watched, QEvent* event) override;

  protected:
    void OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;

  private:
    QLineEdit* userNameEdit;
    QLineEdit* passwordEdit;
    QCheckBox* saveCheck;
    QLabel* saveLabel;
    QLabel* cameraLabel;
    QLabel* refusedLabel;
};
