#include "app/dialogs/cameraconfgeneral.h"

#include "app/dialogs/controlids.h"
#include "app/dialogs/dialoglayout.h"
#include "app/dialogs/manualcameratypedlg.h"
#include "app/resources/resource.h"

#include "collection/camera.h"
#include "collection/validation.h"
#include "foundation/text.h"
#include "platform/ui/dataexchange.h"
#include "platform/ui/propertysheet.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace {

constexpr int kSecurityPage = 2;

const CameraTypeCheck::Manner kManner{
    u"CameraConfGeneral::OnCheckBtn", u"CameraConfGeneral::OnCheckCameraType",
    /*unauthorizedEndsAtOnce=*/true, /*tracePolls=*/true, /*logDialogDone=*/true};

} // namespace

CameraConfGeneral::CameraConfGeneral(Camera& camera, const Path& currentPath)
    : CameraTypePage(QStringLiteral("General"), camera, kManner), currentPath(currentPath),
      nameEdit(WithId(new QLineEdit(this), ControlId::Name)),
      addressEdit(WithId(new QLineEdit(this), ControlId::Address)),
      portEdit(WithId(new QLineEdit(this), ControlId::Port)),
      checkButton(
          WithId(new QPushButton(QStringLiteral("Check Camera Type"), this), ControlId::CheckCameraType)),
      typeValue(WithId(new QLabel(this), ControlId::CameraTypeValue)),
      statusValue(WithId(new QLabel(this), ControlId::StatusValue)) {
    nameEdit->setMaxLength(kMaxFieldLength);
    addressEdit->setMaxLength(kMaxFieldLength);
    // Digits only, as a number field; the range is checked when the page is left.
    portEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), portEdit));
    portEdit->setMaximumWidth(portEdit->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);

    QFormLayout* form = NewFormLayout(this);
    AddFieldRow(form, QStringLiteral("Name:"), nameEdit);
    AddFieldRow(form, QStringLiteral("Network address:"), addressEdit);
    AddFieldRow(form, QStringLiteral("Port:"), portEdit);
    form->addRow(checkButton);
    form->addRow(QStringLiteral("Camera type:"), typeValue);
    form->addRow(QStringLiteral("Status:"), statusValue);
    connect(checkButton, &QPushButton::clicked, this, [this] { OnCheckBtn(); });
}

void CameraConfGeneral::DoDataExchange(DataExchange& dx) {
    dx.Text(nameEdit, camera.name, [this](const QString& entered) {
        return ValidateItemName(entered, Path(camera.folderPath), currentPath);
    });
    dx.Text(addressEdit, camera.address, ValidateNetworkAddress);
    dx.Number(portEdit, camera.port, ValidatePort);
    if (!dx.SaveAndValidate()) {
        typeValue->setText(TypeLine());
        statusValue->setText(camera.status);
    }
}

QString CameraConfGeneral::TypeLine() const {
    const QString model =
        camera.model == QLatin1String(kUnknownModel) ? LoadResText(Str::Unknown) : camera.model;
    return model + QLatin1Char(' ') + camera.firmware;
}

void CameraConfGeneral::OnCheckBtn() {
    if (!UpdateData(true))
        return;
    camera.checkedAddress = camera.address;
    typeCheck.Run(camera);
    const bool unauthorized = typeCheck.TellIfUnauthorized();
    if (unauthorized)
        camera.status = LoadResText(Str::StatusUnauthorized);
    UpdateData(false);
    if (unauthorized && Sheet())
        Sheet()->SetActivePage(kSecurityPage);
}
