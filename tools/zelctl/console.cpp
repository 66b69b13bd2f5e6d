#include "tools/zelctl/console.h"

#include <cstdio>

void PrintLine(const QString& line) {
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fputc('\n', stdout);
}

int Fail(const QString& message) {
    std::fprintf(stderr, "zelctl: %s\n", message.toUtf8().constData());
    return Exit::Error;
}
