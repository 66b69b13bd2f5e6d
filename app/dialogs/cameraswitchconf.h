#pragma once
// The properties of a camera switch: its name, how long each member is shown, and its members,
// chosen with check boxes in the collection. The switch stays in the folder it was opened in.

#include "collection/cameraswitchedit.h"
#include "platform/ui/dialog.h"

class CollectionTree;
class QLineEdit;
class QSpinBox;

class CameraSwitchConf : public Dialog {
  public:
    // The camera switch itemName of the folder; a new one when itemName is empty.
    CameraSwitchConf(QWidget* parent, const Path& folder, const QString& itemName);

    // 1 when the user confirmed and the switch was written, 0 otherwise.
    int DoModal() override;
    QString ItemPath() const { return edit.currentPath.Text(); }

  protected:
    void OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;

  private:
    CameraSwitchEdit edit;
    QLineEdit* nameEdit;
    QSpinBox* displayTimeSpin;
    CollectionTree* memberTree;
};
