#pragma once
// The tap-to-centre command: where a tap on the control lies in the camera's own picture, and
// the command text made from the host's template.

#include <QString>

struct TapPosition {
    int width; // of the area the camera sees
    int height;
    int x;
    int y;
};

// Maps a tap at (x, y) in a client area of width by height through the control's clockwise
// rotation (0, 90, 180, 270; any other value counts as 0).
TapPosition MapTap(int x, int y, int width, int height, int rotate);

// Fills the template's four "%d" with width, height, x and y, in this order. The template may
// hold nothing else but "%%"; a template with any other conversion, with more than four "%d",
// or whose command would exceed maxLength characters gives false and no command.
bool FormatCameraCommand(const QString& ptzTemplate, const TapPosition& tap, int maxLength, QString& command);
