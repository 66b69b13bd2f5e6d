#include "app/dialogs/cameraconfimage.h"

#include "app/dialogs/controlids.h"
#include "app/dialogs/dialoglayout.h"
#include "app/resources/resource.h"

#include "collection/camera.h"
#include "foundation/log.h"
#include "foundation/text.h"
#include "platform/ui/dataexchange.h"

#include <QComboBox>

namespace {

const QString kDefault = QStringLiteral("default");

const CameraTypeCheck::Manner kManner{u"CameraConfImage::OnSetActive", u"CameraConfImage::OnCheckCameraType",
                                      /*unauthorizedEndsAtOnce=*/false, /*tracePolls=*/false,
                                      /*logDialogDone=*/false};

// Adds the values, "default" shown as "Default"; a value the list does not offer becomes
// "default".
void FillList(QComboBox* list, const QStringList& values, QString& value) {
    for (const QString& item : values)
        list->addItem(item == kDefault ? LoadResText(Str::Default) : item, item);
    if (!values.contains(value))
        value = kDefault;
}

} // namespace

CameraConfImage::CameraConfImage(Camera& camera)
    : CameraTypePage(QStringLiteral("Image"), camera, kManner),
      resolutionList(WithId(new QComboBox(this), ControlId::Resolution)),
      rotationList(WithId(new QComboBox(this), ControlId::Rotation)),
      sourceList(WithId(new QComboBox(this), ControlId::VideoSource)) {
    for (QComboBox* list : {resolutionList, rotationList, sourceList}) {
        // As wide as the page allows rather than as the longest resolution.
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    }
    QFormLayout* form = NewFormLayout(this);
    AddFieldRow(form, QStringLiteral("Resolution:"), resolutionList);
    AddFieldRow(form, QStringLiteral("Rotation:"), rotationList);
    AddFieldRow(form, QStringLiteral("Camera:"), sourceList);
}

void CameraConfImage::OnSetActive() {
    PropertyPage::OnSetActive();
    if (camera.checkedAddress != camera.address) {
        LogTrace(u"CameraConfImage::OnSetActive", "Need to retreive Camera type");
        camera.checkedAddress = camera.address;
        typeCheck.Run(camera);
        if (typeCheck.TellIfUnauthorized())
            camera.status = LoadResText(Str::StatusCheckFailed);
    }
    // Filled each time: the camera type may have changed on the general page since the last.
    FillLists();
    UpdateData(false);
}

void CameraConfImage::FillLists() {
    resolutionList->clear();
    sourceList->clear();
    rotationList->clear();
    const CameraTypeLookup& lookup = typeCheck.TypeLookup();
    QStringList values;
    if (lookup.GetValueList(camera.model, camera.firmware, QStringLiteral("Resolution"), values)) {
        FillList(resolutionList, values, camera.resolution);
        lookup.GetValueList(camera.model, camera.firmware, QStringLiteral("CameraNumber"), values);
        FillList(sourceList, values, camera.cameraNumber);
    } else {
        LogWarning(u"CameraConfImage::FillLists", "Camera model '%S', firmware '%S' not supported",
                   Wide(camera.model), Wide(camera.firmware));
        resolutionList->addItem(LoadResText(Str::Default), kDefault);
        sourceList->addItem(LoadResText(Str::Default), kDefault);
    }
    for (const char* degrees : {"0", "90", "180", "270"})
        rotationList->addItem(QString::fromLatin1(degrees));
}

void CameraConfImage::DoDataExchange(DataExchange& dx) {
    dx.ListText(resolutionList, camera.resolution);
    dx.ListText(rotationList, camera.rotation);
    dx.ListText(sourceList, camera.cameraNumber);
}
