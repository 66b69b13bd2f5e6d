#pragma once
// Asks for a camera's user name and password after the camera refused the stream, and whether
// to keep the password with the camera. The caller sets the current values before running it
// and reads them back after OK.

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

    bool eventFilter(QObject* watched, QEvent* event) override;

  protected:
    void OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;

  private:
    QLineEdit* userNameEdit;
    QLineEdit* passwordEdit;
    QCheckBox* saveCheck;
    QLabel* saveLabel;
};
