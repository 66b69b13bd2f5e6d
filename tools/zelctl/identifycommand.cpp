#include "tools/zelctl/identifycommand.h"

#include "tools/zelctl/console.h"

#include "cameratype/cameratypelookup.h"
#include "cameratype/identification.h"

const char kIdentifyUsage[] =
    "  zelctl identify ADDRESS [--port N] [--user U] [--password P] [--ftp-port N]\n";

namespace {

struct Options {
    IdentifyRequest request;
    int ftpPort = kFtpPort;
};

bool ReadPort(const QString& text, int& port) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < 1 || value > 65535)
        return false;
    port = value;
    return true;
}

// False when the arguments are not one ADDRESS and known options, each with its value.
bool ReadOptions(const QStringList& arguments, Options& options) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (!argument.startsWith(QStringLiteral("--"))) {
            if (!options.request.address.isEmpty() || argument.isEmpty())
                return false;
            options.request.address = argument;
            continue;
        }
        if (i + 1 >= arguments.size())
            return false;
        const QString& value = arguments.at(++i);
        if (argument == QLatin1String("--user")) {
            options.request.userName = value;
        } else if (argument == QLatin1String("--password")) {
            options.request.password = value;
        } else if (argument == QLatin1String("--port")) {
            if (!ReadPort(value, options.request.port))
                return false;
        } else if (argument == QLatin1String("--ftp-port")) {
            if (!ReadPort(value, options.ftpPort))
                return false;
        } else {
            return false;
        }
    }
    return !options.request.address.isEmpty();
}

} // namespace

int RunIdentifyCommand(const QStringList& arguments) {
    Options options;
    if (!ReadOptions(arguments, options)) {
        return Fail(QStringLiteral("usage:\n") + QString::fromLatin1(kIdentifyUsage).trimmed());
    }
    CameraTypeLookup lookup;
    lookup.SetFtpPort(options.ftpPort);
    // As on the camera pages: a camera that is not identified keeps the model "unknown".
    QString model = QStringLiteral("unknown");
    QString firmware;
    const bool identified = IdentifyCamera(lookup, options.request, model, firmware);

    PrintLine(QStringLiteral("model ") + model);
    PrintLine(QStringLiteral("firmware ") + firmware);
    PrintLine(QStringLiteral("unauthorized ") + (lookup.IsUnauthorized() ? u'1' : u'0'));
    for (const char* key : {"Resolution", "CameraNumber", "PTZ"}) {
        QStringList values;
        if (lookup.GetValueList(model, firmware, QString::fromLatin1(key), values)) {
            PrintLine(QString::fromLatin1(key) + u'\t' + values.join(u','));
        }
    }
    return identified ? Exit::Ok : Exit::NotFound;
}
