#pragma once
// A camera switch opened for editing: its name, display time and members. The switch stays in
// the folder it was opened in.

#include "settings/path.h"

#include <QString>
#include <QStringList>

class CameraSwitchEdit {
  public:
    // An existing switch of the folder, or, when name is empty, a new one with a generated name
    // and the default display time.
    static CameraSwitchEdit Open(const Path& folder, const QString& name);

    // The member paths stored with the switch, in their order.
    QStringList Members() const;

    // Moves the switch when its name changed, then writes its values and, as its members, the
    // cameras and live view sites among the checked paths, in their order (folders and anything
    // else are left out). False, with nothing written, when the move is refused (see MoveItem).
    bool WriteBack(const QStringList& checkedPaths);

    QString name;
    int displayTime = 0;
    Path folderPath;
    Path currentPath;
};
