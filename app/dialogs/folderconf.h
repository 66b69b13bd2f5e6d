#pragma once
// The properties of a folder: its name and the folder it is created in. Choosing another
// folder moves it there, with everything it holds, when the dialog is confirmed.

#include "collection/folderedit.h"
#include "platform/ui/dialog.h"

class CollectionTree;
class QLineEdit;

class FolderConf : public Dialog {
  public:
    // The folder itemName of the parent folder; a new one when itemName is empty.
    FolderConf(QWidget* parent, const Path& folder, const QString& itemName);

    // 1 when the user confirmed and the folder was written, 0 otherwise.
    int DoModal() override;
    QString ItemPath() const { return edit.currentPath.Text(); }

  protected:
    void OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;

  private:
    FolderEdit edit;
    QLineEdit* nameEdit;
    CollectionTree* parentTree;
};
