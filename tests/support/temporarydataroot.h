#pragma once
#include "tests/support/qtprinters.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Points LUMENFOLD_ROOT at a fresh, empty folder for the life of the object, and back after.
class TemporaryDataRoot {
  public:
    TemporaryDataRoot();
    ~TemporaryDataRoot();
    TemporaryDataRoot(const TemporaryDataRoot&) = delete;
    TemporaryDataRoot& operator=(const TemporaryDataRoot&) = delete;

    QString Path() const { return folder.path(); }
    // The host path of a file below the root ("ZelSettings.arc", "windows/ZelPPCLog.log").
    QString File(const QString& relative) const { return folder.path() + QLatin1Char('/') + relative; }
    // Creates a file below the root (and its folders) with the given bytes.
    void WriteFile(const QString& relative, const QByteArray& bytes) const;
    QByteArray ReadFile(const QString& relative) const;

  private:
    QTemporaryDir folder;
    QByteArray previous;
    bool hadPrevious;
};

// The path of a file under tests/data.
QString TestDataFile(const QString& relative);
