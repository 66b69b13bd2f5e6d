#pragma once
// The handheld's soft input panel. Desktops have a keyboard: raising or lowering the panel does
// nothing, but the calls stay where a handheld needs them.

class QWidget;

inline constexpr int SIP_UP = 1;
inline constexpr int SIP_FORCEDOWN = 3;

inline void SHSipPreference(QWidget*, int) {}
