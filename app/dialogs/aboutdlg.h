#pragma once
// The About box: the viewer's picture, name, platform and version.

#include "platform/ui/dialog.h"

#include <QString>

class QLabel;

class AboutDlg : public Dialog {
  public:
    explicit AboutDlg(QWidget* parent = nullptr);

  protected:
    void OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;

  private:
    QString versionText;
    QString platformText;
    QLabel* version;
    QLabel* platform;
};
