#pragma once
// Message boxes through one wrapper, so that tests can answer them: with the seam on, no box is
// shown; the text is recorded and the next queued answer (or the safe default) is returned.

#include <QString>
#include <QStringList>

#include <cstdint>

class QWidget;

inline constexpr uint32_t MB_OK = 0x0;
inline constexpr uint32_t MB_YESNO = 0x4;
inline constexpr uint32_t MB_ICONSTOP = 0x10;
inline constexpr uint32_t MB_ICONQUESTION = 0x20;
inline constexpr uint32_t MB_ICONEXCLAMATION = 0x30;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Shows text with the caption, buttons and icon of type; returns the button chosen. The text is
// plain, broken into lines of about 60 characters, or fewer when the screen is narrower.
int MessageBox(QWidget* parent, const QString& text, const QString& caption, uint32_t type);

namespace MessageBoxSeam {
// From now on boxes are answered, not shown: with the queued answers in order, then with the
// default (OK, or No for Yes/No questions).
void Enable();
void Disable();
void QueueAnswer(int answer);
// The texts of the boxes answered since Enable (or the last Clear).
QStringList Shown();
void Clear();
} // namespace MessageBoxSeam
