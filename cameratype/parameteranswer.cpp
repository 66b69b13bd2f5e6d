#include "cameratype/parameteranswer.h"

#include "cameratype/cameratext.h"
#include "cameratype/leadingnumber.h"

#include <algorithm>

namespace {

constexpr char kModelKey[] = "root.Brand.ProdShortName=VEXO ";
constexpr char kFirmwareKey[] = "root.Properties.Firmware.Version=";
constexpr char kResolutionKey[] = "root.Properties.Image.Resolution=";
constexpr char kSourcesKey[] = "root.ImageSource.NbrOfSources=";
constexpr char kPtzKey[] = "root.Properties.PTZ.PTZ=";

const char* const kKeys[] = {kModelKey, kFirmwareKey, kResolutionKey, kSourcesKey, kPtzKey};

// The text after the first occurrence of the key, up to the end of its line.
QString TakeValue(const QString& answer, const char* key) {
    const QLatin1String keyText(key);
    const qsizetype found = answer.indexOf(keyText);
    if (found < 0)
        return QString();
    return LineFrom(answer, found + keyText.size());
}

QString SourceList(const QString& count) {
    int n = 0;
    qsizetype pos = 0;
    ReadLeadingNumber(count, pos, n);
    QString list = QStringLiteral("default");
    for (int source = 1; source <= std::min(n, kMaxVideoSources); ++source)
        list += u',' + QString::number(source);
    return list;
}

} // namespace

ParameterAnswer ParseParameterAnswer(const QByteArray& bytes) {
    const qsizetype zero = bytes.indexOf('\0');
    const QString answer = DecodeCameraText(zero < 0 ? bytes : bytes.left(zero));
    ParameterAnswer result;
    result.model = TakeValue(answer, kModelKey);
    result.firmware = TakeValue(answer, kFirmwareKey);
    result.resolutionList = QStringLiteral("default,") + TakeValue(answer, kResolutionKey);
    result.sourceList = SourceList(TakeValue(answer, kSourcesKey));
    result.ptz = TakeValue(answer, kPtzKey);
    return result;
}

bool HasAllParameters(QByteArrayView bytes) {
    for (const char* key : kKeys) {
        const qsizetype found = bytes.indexOf(QByteArrayView(key));
        if (found < 0 || bytes.indexOf('\n', found) < 0)
            return false;
    }
    return true;
}
