#pragma once
// A counted string that frees itself: a text handed to a component for one call, or a string
// (of text or of bytes) a component handed out.

#include "platform/com/comtypes.h"

#include <QByteArray>
#include <QString>

class BString {
  public:
    BString() = default;
    // A copy of the text; every text, even a null one, gives a string.
    explicit BString(const QString& text);
    explicit BString(const char16_t* text);
    BString(const BString&) = delete;
    BString& operator=(const BString&) = delete;
    ~BString();

    // The text of a string someone else owns; a missing string gives a null text.
    static QString ToQString(BSTR text);

    BSTR Get() const { return text; }
    QString ToQString() const { return ToQString(text); }
    // The bytes of a string that carries bytes (SysStringByteLen); a missing one gives none.
    QByteArray ToByteArray() const;

    // For an out-parameter: what was held is freed, and the string written there is taken over.
    BSTR* Receive();
    // Hands the string to the caller, who frees it.
    BSTR Detach();

  private:
    BSTR text = nullptr;
};
