#pragma once
// The known FTP greeting formats of the cameras, and the forms of their version texts.

#include <QString>

// Tries the greeting templates in order; the first that matches gives the model (its "name")
// and the version (its "version", normalised). False, with model and version unchanged, when
// none matches.
bool RecognizeGreeting(const QString& greeting, QString& model, QString& version);

// "major.minor" of the first version template that matches ("V3.02" gives 3.02, "4.40.1"
// gives 4.40); the text unchanged when none does.
QString NormalizeVersion(const QString& version);

// The template number (1 to 18) that recognises the greeting, or 0; for tests and tools.
int GreetingTemplateNumber(const QString& greeting);
