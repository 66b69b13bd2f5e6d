#include "app/dialogs/manualcameratypedlg.h"

#include "app/dialogs/controlids.h"
#include "app/dialogs/dialoglayout.h"
#include "app/resources/resource.h"

#include "cameratype/cameratypelookup.h"
#include "foundation/text.h"
#include "platform/ui/dataexchange.h"
#include "platform/ui/inputpanel.h"

#include <QComboBox>
#include <QLabel>

#include <algorithm>

ManualCameraTypeDlg::ManualCameraTypeDlg(const QString& address, QWidget* parent)
    : Dialog(parent), address(address),
      text(WithId(
          new QLabel(QStringLiteral("It was not possible to retrieve the camera type at the network address "
                                    "'%ADDRESS%'\n\nPlease enter the camera type manually:"),
                     this),
          ControlId::NotReachableText)),
      typeBox(WithId(new QComboBox(this), ControlId::CameraType)) {
    text->setWordWrap(true);
    typeBox->setEditable(true);
    typeBox->setInsertPolicy(QComboBox::NoInsert);

    QFormLayout* form = NewFormLayout(this);
    form->addRow(text);
    AddFieldRow(form, QStringLiteral("Camera type:"), typeBox);
    form->addRow(NewButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel));
}

void ManualCameraTypeDlg::OnInitDialog() {
    text->setText(text->text().replace(QLatin1String("%ADDRESS%"), address));

    QStringList models;
    CameraTypeLookup().GetTypeNameList(models);
    const QString unknown = LoadResText(Str::Unknown);
    for (QString& model : models) {
        if (model == QLatin1String(kUnknownModel))
            model = unknown;
    }
    std::sort(models.begin(), models.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    typeBox->addItems(models);

    chosenType = unknown;
    Dialog::OnInitDialog();
    SHSipPreference(this, SIP_UP);
}

void ManualCameraTypeDlg::DoDataExchange(DataExchange& dx) {
    if (dx.SaveAndValidate()) {
        chosenType = typeBox->currentText().trimmed();
    } else {
        typeBox->setCurrentText(chosenType);
    }
}

QString ManualCameraTypeDlg::GetCameraType() const {
    if (chosenType.isEmpty() || chosenType == LoadResText(Str::Unknown))
        return QString::fromLatin1(kUnknownModel);
    return chosenType;
}
