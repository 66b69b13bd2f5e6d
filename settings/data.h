#pragma once
#include "settings/path.h"

#include <QString>

#include <cstdint>

// The typed value of a settings entry. A value carries up to three readings; a bit says which
// are valid. Reading through another type caches that reading (adds its bit), so stored values
// may carry 0x11, 0x110 or 0x111.
class Data {
  public:
    static constexpr uint32_t kInt = 0x1;
    static constexpr uint32_t kText = 0x10;
    static constexpr uint32_t kBool = 0x100;
    static constexpr uint32_t kAllBits = kInt | kText | kBool;

    Data() = default;
    explicit Data(int value) : flags(kInt), intValue(value) {}
    explicit Data(const QString& value) : flags(kText), text(value) {}
    explicit Data(const char* value) : flags(kText), text(QString::fromLatin1(value)) {}
    explicit Data(const Path& path) : flags(kText), text(path.Text()) {}
    explicit Data(bool value) : flags(kBool), boolValue(value) {}
    virtual ~Data() = default;
    Data(const Data&) = default;
    Data& operator=(const Data&) = default;

    // A value exactly as stored in a file, cache bits and unused fields included.
    static Data FromStored(uint32_t flags, int32_t intValue, const QString& text, bool boolValue);

    int GetInt() const;
    QString GetText() const;
    bool GetBool() const;
    // True when GetText equals the text exactly.
    bool Equals(const char* value) const;

    uint32_t Flags() const { return flags; }
    int32_t StoredInt() const { return intValue; }
    const QString& StoredText() const { return text; }
    bool StoredBool() const { return boolValue; }

  private:
    // The cached readings change on read, not the value.
    mutable uint32_t flags = 0;
    mutable int32_t intValue = 0;
    QString text;
    mutable bool boolValue = false;
};
