#include "collection/motionoptions.h"

#include "settings/node.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

int IntOr(const Node& item, const char* key, int otherwise) {
    return item.Exists(key) ? item.GetValue(key).GetInt() : otherwise;
}

} // namespace

void MotionOptions::Load(const Node& item) {
    *this = MotionOptions();
    stored = item.Exists("MotionDetection");
    detect = item.GetValue("MotionDetection").GetBool();
    sensitivity = std::clamp(IntOr(item, "MotionSensitivity", sensitivity), 1, 100);
    smallestArea = std::clamp(IntOr(item, "MotionArea", smallestArea), 1, 1000);
    ignored = ParseIgnored(item.GetValue("MotionIgnored").GetText());
    record = item.GetValue("MotionRecord").GetBool();
    recordBefore = std::clamp(IntOr(item, "MotionRecordBefore", recordBefore), 0, 60);
    recordAfter = std::clamp(IntOr(item, "MotionRecordAfter", recordAfter), 1, 3600);
}

void MotionOptions::Save(const Node& item) const {
    if (!stored && !detect)
        return;
    item.SetValue("MotionDetection", Data(detect));
    item.SetValue("MotionSensitivity", Data(sensitivity));
    item.SetValue("MotionArea", Data(smallestArea));
    item.SetValue("MotionIgnored", Data(IgnoredText()));
    item.SetValue("MotionRecord", Data(record));
    item.SetValue("MotionRecordBefore", Data(recordBefore));
    item.SetValue("MotionRecordAfter", Data(recordAfter));
}

QString MotionOptions::IgnoredText() const {
    QStringList areas;
    const auto tenThousandths = [](double share) { return QString::number(std::lround(share * 10000)); };
    for (const QRectF& area : ignored)
        areas << QStringList{tenThousandths(area.left()), tenThousandths(area.top()),
                             tenThousandths(area.width()), tenThousandths(area.height())}
                     .join(QLatin1Char(','));
    return areas.join(QLatin1Char(';'));
}

QList<QRectF> MotionOptions::ParseIgnored(const QString& text) {
    QList<QRectF> areas;
    const QRectF picture(0, 0, 1, 1);
    for (const QString& area : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList edges = area.split(QLatin1Char(','));
        if (edges.size() != 4)
            continue;
        double share[4];
        bool ok = true;
        for (int n = 0; n < 4 && ok; ++n)
            share[n] = edges[n].trimmed().toInt(&ok) / 10000.0;
        const QRectF inside = QRectF(share[0], share[1], share[2], share[3]).intersected(picture);
        if (ok && !inside.isEmpty())
            areas << inside;
    }
    return areas;
}
