#pragma once
// The identifiers of the controls of the property pages and dialogs. Each control carries its
// identifier as its object name (ControlName), so that it can be found by it.

#include <QString>

namespace ControlId {
inline constexpr int FolderTree = 1006;
inline constexpr int Name = 1008;
inline constexpr int CameraType = 1008; // the manual type dialog's combo box
inline constexpr int UserName = 1009;
inline constexpr int Address = 1010;
inline constexpr int Port = 1011;
inline constexpr int CheckCameraType = 1015;
inline constexpr int Password = 1016;
inline constexpr int DisplayTime = 1016; // the camera switch dialog's edit with its spin button
inline constexpr int Resolution = 1017;
inline constexpr int VideoSource = 1018;
inline constexpr int Rotation = 1020;
inline constexpr int URL = 1032;
inline constexpr int CameraTypeValue = 1033;
inline constexpr int StatusValue = 1034;
inline constexpr int Progress = 1035;
inline constexpr int ProgressText = 1036;
inline constexpr int NotReachableText = 1040;
inline constexpr int SavePassword = 1045;
inline constexpr int Version = 1051;
inline constexpr int PlatformName = 1052;
inline constexpr int MotionDetect = 1060; // the Motion page
inline constexpr int MotionSensitivity = 1061;
inline constexpr int MotionArea = 1062;
inline constexpr int MotionMask = 1063;
inline constexpr int MotionClear = 1064;
inline constexpr int MotionRecord = 1065;
inline constexpr int MotionBefore = 1066;
inline constexpr int MotionAfter = 1067;
} // namespace ControlId

inline QString ControlName(int id) {
    return QString::number(id);
}

// The widget, named after its identifier.
template <typename Widget> Widget* WithId(Widget* widget, int id) {
    widget->setObjectName(ControlName(id));
    return widget;
}
