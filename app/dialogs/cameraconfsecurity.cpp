#include "app/dialogs/cameraconfsecurity.h"

#include "app/dialogs/controlids.h"
#include "app/dialogs/dialoglayout.h"

#include "collection/camera.h"
#include "collection/validation.h"
#include "platform/ui/dataexchange.h"

#include <QLineEdit>

CameraConfSecurity::CameraConfSecurity(Camera& camera)
    : PropertyPage(QStringLiteral("Security")), camera(camera),
      userNameEdit(WithId(new QLineEdit(this), ControlId::UserName)),
      passwordEdit(WithId(new QLineEdit(this), ControlId::Password)) {
    userNameEdit->setMaxLength(kMaxFieldLength);
    passwordEdit->setMaxLength(kMaxFieldLength);
    QFormLayout* form = NewFormLayout(this);
    AddFieldRow(form, QStringLiteral("User name:"), userNameEdit);
    AddFieldRow(form, QStringLiteral("Password:"), passwordEdit);
}

void CameraConfSecurity::DoDataExchange(DataExchange& dx) {
    dx.Text(userNameEdit, camera.userName, ValidateCredential);
    dx.Text(passwordEdit, camera.password, ValidateCredential);
}
