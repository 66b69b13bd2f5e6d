#include "cameratype/parameteranswer.h"

#include "cameratype/leadingnumber.h"

#include <algorithm>

namespace {

constexpr char kModelKey[] = "root.Brand.ProdShortName=VEXO ";
constexpr char kFirmwareKey[] = "root.Properties.Firmware.Version=";
constexpr char kResolutionKey[] = "root.Properties.Image.Resolution=";
constexpr char kSourcesKey[] = "root.ImageSource.NbrOfSources=";
constexpr char kPtzKey[] = "root.Properties.PTZ.PTZ=";

// The text after the first occurrence of the key, up to the next line feed or the end.
QString TakeValue(const QString& answer, const char* key) {
    const QLatin1String keyText(key);
    const qsizetype found = answer.indexOf(keyText);
    if (found < 0)
        return QString();
    const qsizetype start = found + keyText.size();
    const qsizetype lineEnd = answer.indexOf(u'\n', start);
    return answer.mid(start, lineEnd < 0 ? -1 : lineEnd - start);
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
    const QString answer = QString::fromLocal8Bit(zero < 0 ? bytes : bytes.left(zero));
    ParameterAnswer result;
    result.model = TakeValue(answer, kModelKey);
    result.firmware = TakeValue(answer, kFirmwareKey);
    result.resolutionList = QStringLiteral("default,") + TakeValue(answer, kResolutionKey);
    result.sourceList = SourceList(TakeValue(answer, kSourcesKey));
    result.ptz = TakeValue(answer, kPtzKey);
    return result;
}
