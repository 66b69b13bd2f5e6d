#include "platform/ui/messagebox.h"

#include <QMessageBox>
#include <QScreen>

#include <algorithm>
#include <deque>
#include <mutex>

namespace {

std::mutex seamLock;
bool seamEnabled = false;
std::deque<int> answers;
QStringList shown;

// Message lines hold at most this many characters, fewer when the screen is narrow.
constexpr int kMessageColumns = 60;
// Beside the text, a box holds its icon and margins.
constexpr int kMessageBoxMargins = 120;

// Breaks the text into lines of at most columns characters: at the last blank that fits, or
// inside a word longer than a line (a long item name). Line breaks in the text stay.
QString WrapLines(const QString& text, int columns) {
    QStringList lines;
    for (QString rest : text.split(QLatin1Char('\n'))) {
        while (rest.size() > columns) {
            const qsizetype blank = rest.lastIndexOf(QLatin1Char(' '), columns);
            const qsizetype cut = blank > 0 ? blank : columns;
            lines.append(rest.left(cut));
            rest = rest.mid(blank > 0 ? cut + 1 : cut);
        }
        lines.append(rest);
    }
    return lines.join(QLatin1Char('\n'));
}

// How many of the widest characters of the font fit on a line of a box on the screen.
int ColumnsOnScreen(const QWidget& box) {
    const QScreen* screen = box.screen();
    const int width = screen ? screen->availableGeometry().width() : 0;
    const int character = std::max(1, box.fontMetrics().horizontalAdvance(QLatin1Char('W')));
    return std::clamp((width - kMessageBoxMargins) / character, 10, kMessageColumns);
}

QMessageBox::Icon IconOf(uint32_t type) {
    switch (type & 0xF0) {
    case MB_ICONSTOP:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

int MessageBox(QWidget* parent, const QString& text, const QString& caption, uint32_t type) {
    const bool yesNo = (type & 0xF) == MB_YESNO;
    {
        std::lock_guard<std::mutex> guard(seamLock);
        if (seamEnabled) {
            shown.append(text);
            if (!answers.empty()) {
                const int answer = answers.front();
                answers.pop_front();
                return answer;
            }
            return yesNo ? IDNO : IDOK;
        }
    }
    QMessageBox box(IconOf(type), caption, QString(),
                    yesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText); // an item name is never markup
    box.setText(WrapLines(text, ColumnsOnScreen(box)));
    box.setDefaultButton(yesNo ? QMessageBox::No : QMessageBox::Ok);
    const int result = box.exec();
    if (yesNo)
        return result == QMessageBox::Yes ? IDYES : IDNO;
    return IDOK;
}

namespace MessageBoxSeam {

void Enable() {
    std::lock_guard<std::mutex> guard(seamLock);
    seamEnabled = true;
    answers.clear();
    shown.clear();
}

void Disable() {
    std::lock_guard<std::mutex> guard(seamLock);
    seamEnabled = false;
    answers.clear();
}

void QueueAnswer(int answer) {
    std::lock_guard<std::mutex> guard(seamLock);
    answers.push_back(answer);
}

QStringList Shown() {
    std::lock_guard<std::mutex> guard(seamLock);
    return shown;
}

void Clear() {
    std::lock_guard<std::mutex> guard(seamLock);
    shown.clear();
}

} // namespace MessageBoxSeam
