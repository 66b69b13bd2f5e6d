#pragma once
#include <QString>

// Creates an empty file of its own under the first free name of stem + extension,
// stem + "-2" + extension, and so on: two writers that name a file after the same second (two
// viewers on one folder) each get their own. The path; empty when it could not be created,
// with the errno value in error.
QString CreateNewFile(const QString& stem, const QString& extension, int& error);
