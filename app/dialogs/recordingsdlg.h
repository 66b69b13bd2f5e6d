#pragma once
// The Recordings box: the cameras being recorded, each with its state ("recording", "waiting for
// the camera", or why it stopped), and a button that opens the folder the recordings are in.

#include "platform/ui/dialog.h"

#include <QString>
#include <QStringList>

class RecordingsDlg : public Dialog {
  public:
    // One line a camera; folder: where the recordings are.
    RecordingsDlg(QWidget* parent, const QStringList& cameras, const QString& folder);
};
