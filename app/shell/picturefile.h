#pragma once
// Where a kept picture goes, and keeping it: the user's pictures folder (the XDG one),
// "Lumenfold/<item name>-<yyyyMMdd-hhmmss>.jpg", the bytes written as they are.

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The name made safe for a file name: no folder separators, no characters that other systems'
// file names cannot hold, no control or bidirectional override characters (each becomes "_"), no
// leading dots or blanks, at most 200 bytes of UTF-8 cut between characters; never empty.
QString SafeFileName(const QString& name);

// Writes the bytes to a new file in the pictures folder (created when missing), named after the
// item and the time; a file of that name already there gets "-2", "-3"... False with a reason;
// path is then where it was to go.
bool SavePictureFile(const QByteArray& bytes, const QString& itemName, const QDateTime& when, QString& path,
                     QString& error);
