#include "cameratype/cameratext.h"

#include <QStringDecoder>

QString DecodeCameraText(QByteArrayView bytes) {
    // A decoder that keeps its state holds back a character cut off at the end, waiting for its
    // other bytes. None follow: those last bytes are dropped, and the text before them counts.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

QString LineFrom(QStringView text, qsizetype start) {
    const qsizetype lineEnd = text.indexOf(u'\n', start);
    QStringView line = text.mid(start, lineEnd < 0 ? -1 : lineEnd - start);
    if (line.endsWith(u'\r'))
        line.chop(1);
    return line.toString();
}
