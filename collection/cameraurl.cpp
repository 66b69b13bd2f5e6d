// Camera::GetURL: the stream URL of a camera.

#include "collection/camera.h"

#include "foundation/log.h"
#include "settings/node.h"
#include "settings/settingsstore.h"

namespace {

constexpr char kTemplatePath[] = "/DefaultValues/CameraURLTempl";
const QString kDefault = QStringLiteral("default");

// The template is a printf format whose first placeholder takes the address and whose second
// takes the port. It is filled here placeholder by placeholder rather than handed to a printf,
// so that no text of the settings can act as a format on its own.
QString FillTemplate(const QString& templateText, const QString& address, int port) {
    QString url;
    int filled = 0;
    for (qsizetype i = 0; i < templateText.size(); ++i) {
        const QChar c = templateText.at(i);
        const QChar next = i + 1 < templateText.size() ? templateText.at(i + 1) : QChar();
        if (c == u'%' && next == u'%') {
            url += u'%';
            ++i;
        } else if (c == u'%' && (next == u's' || next == u'd') && filled < 2) {
            url += filled == 0 ? address : QString::number(port);
            ++filled;
            ++i;
        } else {
            url += c;
        }
    }
    return url;
}

void AppendParameter(QString& url, const QString& name, const QString& value) {
    if (!url.contains(u'?'))
        url += u'?';
    if (url.indexOf(u'?') != url.size() - 1)
        url += u'&';
    url += name + u'=' + value;
}

} // namespace

QString Camera::GetURL() const {
    if (type != QLatin1String("Camera"))
        return customURL;

    QString url = FillTemplate(Defaults().GetValue(kTemplatePath).GetText(), address, port);
    if (resolution != kDefault) {
        // The camera type table annotates resolutions ("176x144 (PAL)"); the camera wants none.
        QString value = resolution.left(resolution.indexOf(QStringLiteral(" (")));
        if (value == QLatin1String("176x112"))
            value = QStringLiteral("halfsize");
        AppendParameter(url, QStringLiteral("resolution"), value);
    }
    if (cameraNumber != kDefault)
        AppendParameter(url, QStringLiteral("camera"), cameraNumber);
    LogTrace(u"Camera::GetURL", "'%S'", Wide(url));
    return url;
}
