#include "app/dialogs/cameraswitchconf.h"

#include "app/dialogs/controlids.h"
#include "app/dialogs/dialoglayout.h"

#include "collection/collectiontree.h"
#include "collection/validation.h"
#include "platform/ui/dataexchange.h"
#include "platform/ui/inputpanel.h"
#include "platform/ui/messagebox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

namespace {
// One above the longest display time, as the spin button allows; taking the value refuses it.
constexpr int kSpinHigh = 100;
} // namespace

CameraSwitchConf::CameraSwitchConf(QWidget* parent, const Path& folder, const QString& itemName)
    : Dialog(parent), edit(CameraSwitchEdit::Open(folder, itemName)),
      nameEdit(WithId(new QLineEdit(this), ControlId::Name)),
      displayTimeSpin(WithId(new QSpinBox(this), ControlId::DisplayTime)),
      memberTree(WithId(new CollectionTree(this), ControlId::FolderTree)) {
    setWindowTitle(QStringLiteral("Camera Switch Properties"));
    displayTimeSpin->setWrapping(true);
    memberTree->SetNoSwitches(true);
    memberTree->SetCheckBoxes(true);

    auto* displayTime = new QHBoxLayout;
    displayTime->addWidget(displayTimeSpin);
    displayTime->addWidget(new QLabel(QStringLiteral("seconds"), this));
    displayTime->addStretch();
    auto* treeLabel = new QLabel(QStringLiteral("Select cameras or folders:"), this);
    treeLabel->setBuddy(memberTree);

    QFormLayout* form = NewFormLayout(this);
    AddFieldRow(form, QStringLiteral("Name:"), nameEdit);
    form->addRow(QStringLiteral("Display time:"), displayTime);
    form->addRow(treeLabel);
    form->addRow(memberTree);
    form->addRow(NewButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel));
}

void CameraSwitchConf::OnInitDialog() {
    SHSipPreference(this, SIP_UP);
    displayTimeSpin->setRange(0, kSpinHigh);
    memberTree->Refill();
    for (const QString& member : edit.Members())
        memberTree->CheckPath(member);
    Dialog::OnInitDialog();
}

void CameraSwitchConf::DoDataExchange(DataExchange& dx) {
    dx.Text(nameEdit, edit.name, [this](const QString& entered) {
        return ValidateCameraSwitchName(entered, edit.folderPath, edit.currentPath);
    });
    dx.Number(displayTimeSpin, edit.displayTime, ValidateDisplayTime);
}

int CameraSwitchConf::DoModal() {
    if (Dialog::DoModal() != IDOK)
        return 0;
    return edit.WriteBack(memberTree->CheckedPaths()) ? 1 : 0;
}
