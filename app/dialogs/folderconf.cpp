#include "app/dialogs/folderconf.h"

#include "app/dialogs/controlids.h"
#include "app/dialogs/dialoglayout.h"

#include "collection/collectiontree.h"
#include "collection/validation.h"
#include "platform/ui/dataexchange.h"
#include "platform/ui/inputpanel.h"
#include "platform/ui/messagebox.h"

#include <QLabel>
#include <QLineEdit>

FolderConf::FolderConf(QWidget* parent, const Path& folder, const QString& itemName)
    : Dialog(parent), edit(FolderEdit::Open(folder, itemName)),
      nameEdit(WithId(new QLineEdit(this), ControlId::Name)),
      parentTree(WithId(new CollectionTree(this), ControlId::FolderTree)) {
    setWindowTitle(QStringLiteral("Folder Properties"));
    nameEdit->setMaxLength(kMaxFieldLength);
    parentTree->SetFoldersOnly(true);
    auto* treeLabel = new QLabel(QStringLiteral("Create in:"), this);
    treeLabel->setBuddy(parentTree);

    QFormLayout* form = NewFormLayout(this);
    AddFieldRow(form, QStringLiteral("Name:"), nameEdit);
    form->addRow(treeLabel);
    form->addRow(parentTree);
    form->addRow(NewButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel));
}

void FolderConf::OnInitDialog() {
    SHSipPreference(this, SIP_UP);
    parentTree->Refill();
    Dialog::OnInitDialog();
}

void FolderConf::DoDataExchange(DataExchange& dx) {
    if (!dx.SaveAndValidate()) {
        dx.Text(nameEdit, edit.name);
        parentTree->SelectPath(edit.parentPath.Text());
        return;
    }
    // With no folder chosen the folder stays where it is.
    QString chosen = edit.parentPath.Text();
    parentTree->SelectedPath(chosen);
    const Path parent(chosen);
    dx.Text(nameEdit, edit.name,
            [&](const QString& entered) { return ValidateItemName(entered, parent, edit.currentPath); });
    dx.Check(parentTree, CheckFolderMove(Path::Join(parent, edit.name), edit.currentPath));
    if (!dx.Failed())
        edit.parentPath = parent;
}

int FolderConf::DoModal() {
    if (Dialog::DoModal() != IDOK)
        return 0;
    return edit.WriteBack() ? 1 : 0;
}
