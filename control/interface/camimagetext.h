#pragma once
// A text property of the stream control set from a QString: the text goes as a counted string
// that lives for the call, a null text as none.

#include "control/interface/camimageinterface.h"
#include "platform/com/bstring.h"

#include <QString>

inline HRESULT PutText(ICamImage* control, HRESULT (ICamImage::*setter)(BSTR), const QString& text) {
    const BString value = text.isNull() ? BString() : BString(text);
    return (control->*setter)(value.Get());
}
