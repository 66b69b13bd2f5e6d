#include "app/dialogs/cameraconfgenerallivesite.h"

#include "app/dialogs/controlids.h"
#include "app/dialogs/dialoglayout.h"

#include "collection/camera.h"
#include "collection/validation.h"
#include "platform/ui/dataexchange.h"

#include <QLineEdit>

CameraConfGeneralLiveSite::CameraConfGeneralLiveSite(Camera& site, const Path& currentPath)
    : PropertyPage(QStringLiteral("General")), site(site), currentPath(currentPath),
      nameEdit(WithId(new QLineEdit(this), ControlId::Name)),
      urlEdit(WithId(new QLineEdit(this), ControlId::URL)) {
    nameEdit->setMaxLength(kMaxFieldLength);
    urlEdit->setMaxLength(kMaxFieldLength);
    QFormLayout* form = NewFormLayout(this);
    AddFieldRow(form, QStringLiteral("Name:"), nameEdit);
    AddFieldRow(form, QStringLiteral("URL:"), urlEdit);
}

void CameraConfGeneralLiveSite::DoDataExchange(DataExchange& dx) {
    dx.Text(nameEdit, site.name, [this](const QString& entered) {
        return ValidateItemName(entered, Path(site.folderPath), currentPath);
    });
    dx.Text(urlEdit, site.customURL, ValidateURL);
}
