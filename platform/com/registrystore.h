#pragma once
// The registration store: the classes root of the component runtime, where a module's
// DllRegisterServer writes which file serves which class. Keys are backslash paths such as
// "CLSID\{...}\InprocServer32"; each key has named text values, the empty name being its
// default value. Kept in the file "ClassesRoot.reg" under the data root, rewritten whole on
// every change through a temporary file.

#include <QString>
#include <QStringList>

namespace RegistryStore {

// Creates the key (and the keys above it) when missing; sets the value when name is given.
bool SetValue(const QString& key, const QString& name, const QString& value);
bool CreateKey(const QString& key);
// The value, or found == false when the key or value is missing.
QString GetValue(const QString& key, const QString& name, bool* found = nullptr);
bool KeyExists(const QString& key);
// Removes the key with every key below it.
bool DeleteKey(const QString& key);
// The keys directly below a key.
QStringList SubKeys(const QString& key);

} // namespace RegistryStore
