#pragma once
// Text as cameras send it in parameter answers and FTP greetings.

#include <QByteArrayView>
#include <QString>
#include <QStringView>

// UTF-8 when the bytes are valid UTF-8; else single-byte text in the system's 8-bit code page
// (Latin-1 here), so that a camera's own name is never turned into replacement characters.
// Bytes that arrived cut off in the middle of a UTF-8 character, at the very end, are dropped
// from UTF-8 text; they do not make the text before them single-byte text.
QString DecodeCameraText(QByteArrayView bytes);

// The text from start up to the end of its line: the line feed, and a carriage return before
// it, are not part of the line. A text without line feed ends at its end.
QString LineFrom(QStringView text, qsizetype start);
