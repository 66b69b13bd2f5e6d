#include "platform/fs/dataroot.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString DataRoot() {
    const QString fromEnvironment = qEnvironmentVariable("LUMENFOLD_ROOT");
    if (!fromEnvironment.isEmpty()) {
        return QDir::cleanPath(fromEnvironment);
    }
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/lumenfold");
}

QString DevicePath(const QString& deviceName) {
    QString relative = deviceName;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (relative.startsWith(QLatin1Char('/'))) {
        relative.remove(0, 1);
    }
    // Never let a device name climb out of the data root.
    const QString cleaned = QDir::cleanPath(relative);
    if (cleaned == QStringLiteral("..") || cleaned.startsWith(QStringLiteral("../"))) {
        return DataRoot() + QLatin1Char('/') + QFileInfo(cleaned).fileName();
    }
    return DataRoot() + QLatin1Char('/') + cleaned;
}

bool MakeParentFolder(const QString& filePath) {
    return QDir().mkpath(QFileInfo(filePath).absolutePath());
}
