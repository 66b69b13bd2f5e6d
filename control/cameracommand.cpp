#include "control/cameracommand.h"

TapPosition MapTap(int x, int y, int width, int height, int rotate) {
    switch (rotate) {
    case 90:
        return {height, width, y, width - x};
    case 180:
        return {width, height, width - x, height - y};
    case 270:
        return {height, width, height - y, x};
    default:
        return {width, height, x, y};
    }
}

bool FormatCameraCommand(const QString& ptzTemplate, const TapPosition& tap, int maxLength,
                         QString& command) {
    const int values[4] = {tap.width, tap.height, tap.x, tap.y};
    int used = 0;
    QString out;
    for (qsizetype i = 0; i < ptzTemplate.size(); ++i) {
        const QChar c = ptzTemplate.at(i);
        if (c != QLatin1Char('%')) {
            out += c;
            continue;
        }
        const QChar next = i + 1 < ptzTemplate.size() ? ptzTemplate.at(i + 1) : QChar();
        if (next == QLatin1Char('%')) {
            out += QLatin1Char('%');
        } else if (next == QLatin1Char('d') && used < 4) {
            out += QString::number(values[used++]);
        } else {
            return false;
        }
        ++i;
    }
    if (out.size() > maxLength)
        return false;
    command = out;
    return true;
}
