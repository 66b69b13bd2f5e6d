#pragma once
#include <QString>

// The system's own description of an errno value ("No space left on device").
QString SystemErrorText(int error);
