#include "app/dialogs/cameraconfmotion.h"

#include "app/dialogs/controlids.h"
#include "app/dialogs/dialoglayout.h"
#include "app/dialogs/motionmaskeditor.h"
#include "app/resources/resource.h"

#include "collection/camera.h"
#include "control/interface/camimageinterface.h"
#include "control/interface/camimagetext.h"
#include "foundation/log.h"
#include "foundation/text.h"
#include "platform/com/bstring.h"
#include "platform/com/runtime.h"
#include "platform/ui/controlhost.h"
#include "platform/ui/dataexchange.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr char16_t kLog[] = u"CameraConfMotion";
constexpr float kPictureFps = 5.0f; // enough to see where things are

QSpinBox* NewSpin(QWidget* page, int id, int lowest, int highest) {
    auto* spin = WithId(new QSpinBox(page), id);
    spin->setRange(lowest, highest);
    return spin;
}

// Any number the spin box allows is right, and is taken.
QString AnyNumber(const QString& text, int& value) {
    bool ok = false;
    const int number = QLocale().toInt(text, &ok);
    value = ok ? number : text.toInt();
    return QString();
}

} // namespace

CameraConfMotion::CameraConfMotion(Camera& edited)
    : PropertyPage(LoadResText(Str::MotionPage)), camera(edited),
      detectBox(WithId(new QCheckBox(LoadResText(Str::MotionDetect), this), ControlId::MotionDetect)),
      sensitivitySpin(NewSpin(this, ControlId::MotionSensitivity, 1, 100)),
      areaSpin(WithId(new QDoubleSpinBox(this), ControlId::MotionArea)),
      mask(WithId(new MotionMaskEditor(this), ControlId::MotionMask)),
      clearButton(WithId(new QPushButton(LoadResText(Str::MotionClearAreas), this), ControlId::MotionClear)),
      recordBox(WithId(new QCheckBox(LoadResText(Str::MotionRecord), this), ControlId::MotionRecord)),
      beforeSpin(NewSpin(this, ControlId::MotionBefore, 0, 60)),
      afterSpin(NewSpin(this, ControlId::MotionAfter, 1, 3600)) {
    areaSpin->setRange(0.1, 100.0);
    areaSpin->setDecimals(1);
    areaSpin->setSingleStep(0.5);
    areaSpin->setSuffix(QStringLiteral(" %"));
    for (QSpinBox* seconds : {beforeSpin, afterSpin})
        seconds->setSuffix(QStringLiteral(" s"));

    auto* column = new QVBoxLayout(this);
    column->addWidget(detectBox);
    auto* form = new QFormLayout;
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    AddFieldRow(form, LoadResText(Str::MotionSensitivityLabel), sensitivitySpin);
    AddFieldRow(form, LoadResText(Str::MotionAreaLabel), areaSpin);
    column->addLayout(form);
    auto* hint = new QLabel(LoadResText(Str::MotionMaskHint), this);
    hint->setWordWrap(true);
    column->addWidget(hint);
    column->addWidget(mask, 1);
    column->addWidget(clearButton, 0, Qt::AlignLeft);
    column->addWidget(recordBox);
    auto* seconds = new QFormLayout;
    AddFieldRow(seconds, LoadResText(Str::MotionBeforeLabel), beforeSpin);
    AddFieldRow(seconds, LoadResText(Str::MotionAfterLabel), afterSpin);
    column->addLayout(seconds);

    QObject::connect(clearButton, &QPushButton::clicked, mask, [this] { mask->SetAreas({}); });
    QObject::connect(detectBox, &QCheckBox::toggled, this, [this] { Enable(); });
    QObject::connect(recordBox, &QCheckBox::toggled, this, [this] { Enable(); });
}

CameraConfMotion::~CameraConfMotion() {
    if (control)
        control->StopDownload();
    if (host)
        host->DetachControl();
}

void CameraConfMotion::OnSetActive() {
    PropertyPage::OnSetActive();
    Enable();
    ShowPicture();
}

void CameraConfMotion::ShowPicture() {
    // A camera at its address; a live view site at its own URL, once it names a host.
    const bool located = camera.type == QLatin1String("Camera") ? !camera.address.isEmpty()
                                                                : !QUrl(camera.customURL).host().isEmpty();
    const QString url = located ? camera.GetURL() : QString();
    const QString shown = url + QLatin1Char('\n') + camera.userName + QLatin1Char('\n') + camera.password;
    if (url.isEmpty() || shown == shownCamera)
        return;
    shownCamera = shown;
    if (!control && !CreatePicture())
        return;
    PutText(control.Get(), &ICamImage::put_Username, camera.userName);
    PutText(control.Get(), &ICamImage::put_Password, camera.password);
    PutText(control.Get(), &ICamImage::put_URL, url);
}

bool CameraConfMotion::CreatePicture() {
    const HRESULT created =
        CoCreateInstance(CLSID_CamImage, nullptr, CLSCTX_ALL, IID_ICamImage, control.ReceiveVoid());
    if (FAILED(created)) {
        LogWarning(kLog, "No picture of the camera: the stream control cannot be created (0x%X)",
                   static_cast<uint32_t>(created));
        return false;
    }
    host = new ControlHost;
    if (FAILED(host->AttachControl(control.Get()))) {
        delete host;
        host = nullptr;
        control.Reset();
        return false;
    }
    mask->SetPicture(host);
    // The camera's one connection, shared with the views that show it; stretched, so that the
    // areas' shares of the editor are shares of the picture.
    control->put_SharedConnection(1);
    control->put_Stretch(1);
    control->put_FPS(kPictureFps);
    return true;
}

void CameraConfMotion::Enable() {
    const bool detect = detectBox->isChecked();
    for (QWidget* field : std::initializer_list<QWidget*>{sensitivitySpin, areaSpin, clearButton, recordBox})
        field->setEnabled(detect);
    beforeSpin->setEnabled(detect && recordBox->isChecked());
    afterSpin->setEnabled(detect && recordBox->isChecked());
}

void CameraConfMotion::DoDataExchange(DataExchange& dx) {
    MotionOptions& motion = camera.motion;
    dx.Checked(detectBox, motion.detect);
    dx.Number(sensitivitySpin, motion.sensitivity, AnyNumber);
    dx.Checked(recordBox, motion.record);
    dx.Number(beforeSpin, motion.recordBefore, AnyNumber);
    dx.Number(afterSpin, motion.recordAfter, AnyNumber);
    if (dx.SaveAndValidate()) {
        motion.smallestArea = static_cast<int>(std::lround(areaSpin->value() * 10));
        motion.ignored = mask->Areas();
    } else {
        areaSpin->setValue(motion.smallestArea / 10.0);
        mask->SetAreas(motion.ignored);
    }
}
