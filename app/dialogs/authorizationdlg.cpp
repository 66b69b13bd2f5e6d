#include "app/dialogs/authorizationdlg.h"

#include "app/dialogs/controlids.h"
#include "app/dialogs/dialoglayout.h"
#include "app/resources/resource.h"

#include "collection/validation.h"
#include "foundation/text.h"
#include "platform/ui/dataexchange.h"
#include "platform/ui/inputpanel.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

AuthorizationDlg::AuthorizationDlg(QWidget* parent)
    : Dialog(parent), userNameEdit(WithId(new QLineEdit(this), ControlId::UserName)),
      passwordEdit(WithId(new QLineEdit(this), ControlId::Password)),
      saveCheck(WithId(new QCheckBox(this), ControlId::SavePassword)),
      saveLabel(new QLabel(QStringLiteral("Save this password in the camera properties.  "), this)),
      cameraLabel(new QLabel(this)), refusedLabel(new QLabel(LoadResText(Str::CredentialsRefused), this)) {
    setWindowTitle(QStringLiteral("Authorization"));
    userNameEdit->setMaxLength(kMaxFieldLength);
    // Shown as typed: on a handheld the user sees what the input panel entered.
    passwordEdit->setMaxLength(kMaxFieldLength);

    QFormLayout* form = NewFormLayout(this);
    refusedLabel->setObjectName(QStringLiteral("refused"));
    refusedLabel->setWordWrap(true);
    QFont bold = refusedLabel->font();
    bold.setBold(true);
    refusedLabel->setFont(bold);
    refusedLabel->hide();
    form->addRow(refusedLabel);
    // Said in the text as well: a wall display's window system may show no titles.
    cameraLabel->setWordWrap(true);
    cameraLabel->hide();
    form->addRow(cameraLabel);
    auto* prompt = new QLabel(QStringLiteral("Please type your user name and password."), this);
    prompt->setWordWrap(true);
    form->addRow(prompt);
    AddFieldRow(form, QStringLiteral("User name:"), userNameEdit);
    AddFieldRow(form, QStringLiteral("Password:"), passwordEdit);
    // The check box's text wraps on a narrow screen, and tapping it ticks the box.
    saveLabel->setWordWrap(true);
    saveLabel->setBuddy(saveCheck);
    saveLabel->installEventFilter(this);
    saveCheck->setAccessibleName(saveLabel->text());
    auto* saveRow = new QHBoxLayout;
    saveRow->addWidget(saveCheck, 0, Qt::AlignTop);
    saveRow->addWidget(saveLabel, 1);
    form->addRow(saveRow);
    form->addRow(NewButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel));
}

void AuthorizationDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    if (!cameraName.isEmpty()) {
        const QString named = FormatText(LoadResText(Str::CredentialsFor), {cameraName});
        setWindowTitle(named);
        cameraLabel->setText(named);
        cameraLabel->show();
    }
    refusedLabel->setVisible(refused);
    SHSipPreference(this, SIP_UP);
}

bool AuthorizationDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == saveLabel && event->type() == QEvent::MouseButtonRelease) {
        saveCheck->toggle();
        saveCheck->setFocus(Qt::MouseFocusReason);
        return true;
    }
    return Dialog::eventFilter(watched, event);
}

void AuthorizationDlg::DoDataExchange(DataExchange& dx) {
    dx.Text(userNameEdit, userName, ValidateCredential);
    dx.Text(passwordEdit, password, ValidateCredential);
    dx.Checked(saveCheck, save);
}
