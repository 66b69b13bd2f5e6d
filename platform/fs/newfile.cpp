#include "platform/fs/newfile.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

QString CreateNewFile(const QString& stem, const QString& extension, int& error) {
    QString path = stem + extension;
    for (int n = 2;; ++n) {
        const int made =
            ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (made >= 0) {
            ::close(made);
            return path;
        }
        if (errno != EEXIST) {
            error = errno;
            return QString();
        }
        path = stem + QLatin1Char('-') + QString::number(n) + extension;
    }
}
