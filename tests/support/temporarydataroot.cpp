#include "tests/support/temporarydataroot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

TemporaryDataRoot::TemporaryDataRoot()
    : previous(qgetenv("LUMENFOLD_ROOT")), hadPrevious(qEnvironmentVariableIsSet("LUMENFOLD_ROOT")) {
    EXPECT_TRUE(folder.isValid());
    qputenv("LUMENFOLD_ROOT", QFile::encodeName(folder.path()));
}

TemporaryDataRoot::~TemporaryDataRoot() {
    if (hadPrevious) {
        qputenv("LUMENFOLD_ROOT", previous);
    } else {
        qunsetenv("LUMENFOLD_ROOT");
    }
}

void TemporaryDataRoot::WriteFile(const QString& relative, const QByteArray& bytes) const {
    const QString path = File(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray TemporaryDataRoot::ReadFile(const QString& relative) const {
    QFile file(File(relative));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QString TestDataFile(const QString& relative) {
    QString root = qEnvironmentVariable("LUMENFOLD_TEST_DATA");
    if (root.isEmpty())
        root = QStringLiteral(LUMENFOLD_SOURCE_DIR "/tests/data");
    return root + QLatin1Char('/') + relative;
}
