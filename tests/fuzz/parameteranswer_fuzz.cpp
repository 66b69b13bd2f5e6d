// Parameter query answers: any bytes give bounded values, each a piece of the answer's text.

#include "cameratype/parameteranswer.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ParameterAnswer answer = ParseParameterAnswer(bytes);
    const qsizetype zero = bytes.indexOf('\0');
    const QString text = QString::fromLocal8Bit(zero < 0 ? bytes : bytes.left(zero));
    for (const QString* value : {&answer.model, &answer.firmware, &answer.ptz}) {
        if (!text.contains(*value) || value->contains(u'\n'))
            std::abort();
    }
    if (!answer.resolutionList.startsWith(QStringLiteral("default,")))
        std::abort();
    if (!answer.sourceList.startsWith(QStringLiteral("default")))
        std::abort();
    if (answer.sourceList.count(u',') > kMaxVideoSources)
        std::abort();
    return 0;
}
