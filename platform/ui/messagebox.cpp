#include "platform/ui/messagebox.h"

#include <QMessageBox>

#include <deque>
#include <mutex>

namespace {

std::mutex seamLock;
bool seamEnabled = false;
std::deque<int> answers;
QStringList shown;

QMessageBox::Icon IconOf(uint32_t type) {
    switch (type & 0xF0) {
    case MB_ICONSTOP: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    default: return QMessageBox::NoIcon;
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
    QMessageBox box(IconOf(type), caption, text, yesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, parent);
    box.setDefaultButton(yesNo ? QMessageBox::No : QMessageBox::Ok);
    const int result = box.exec();
    if (yesNo) return result == QMessageBox::Yes ? IDYES : IDNO;
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
