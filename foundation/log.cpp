#include "foundation/log.h"

#include "foundation/format.h"
#include "foundation/passwordmask.h"
#include "foundation/utf.h"

#include "platform/fs/dataroot.h"
#include "platform/kernel/lasterror.h"
#include "platform/kernel/tick.h"

#include <QFile>

#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>

namespace {

constexpr char kContinued[] = "Continued ...\n";

std::string HostPath(const char16_t* deviceName) {
    return QFile::encodeName(DevicePath(QString::fromUtf16(deviceName))).toStdString();
}

size_t Append(char16_t* line, size_t pos, const char16_t* text, size_t lastUsable) {
    for (; text && *text && pos < lastUsable; ++text) {
        line[pos++] = *text;
    }
    return pos;
}

} // namespace

DiagLog& DiagLog::Instance() {
    // Never destroyed: worker threads may still log while the module shuts down.
    static DiagLog* const instance = new DiagLog;
    return *instance;
}

DiagLog::DiagLog() {
    line[0] = u'\0';
    message[0] = '\0';
    lineUtf8[0] = '\0';
    saved.reserve(8);
}

void DiagLog::SetPrefix(const char16_t* newPrefix, int level) {
    std::lock_guard<std::recursive_mutex> guard(lock);
    prefix = newPrefix ? newPrefix : u"";
    consoleLevel = level;
}

void DiagLog::SetFiles(const char16_t* newLogPath, const char16_t* newBackupPath, int level) {
    std::lock_guard<std::recursive_mutex> guard(lock);
    logPath = HostPath(newLogPath);
    backupPath = HostPath(newBackupPath);
    fileLevel = level;
    rotateAt = kLogRotateSize;
}

void DiagLog::SetConsoleForTest(std::function<void(std::string_view)> newConsole) {
    std::lock_guard<std::recursive_mutex> guard(lock);
    console = std::move(newConsole);
}

void DiagLog::ResetForTest() {
    std::lock_guard<std::recursive_mutex> guard(lock);
    prefix.clear();
    consoleLevel = 3;
    fileLevel = 0;
    logPath.clear();
    backupPath.clear();
    lastTick = 0;
    rotateAt = kLogRotateSize;
}

void DiagLog::Begin(int level, const char16_t* tag, const char16_t* function) {
    const uint32_t lastError = GetLastError();
    const int savedErrno = errno;
    lock.lock();
    ++depth;
    if (depth > 1) {
        saved.push_back(current);
    }
    current = Context{lastError, savedErrno, level, tag ? tag : u"", function ? function : u""};
}

void DiagLog::Print(const char* format, ...) {
    if (current.level <= consoleLevel) {
        va_list args;
        va_start(args, format);
        FormatTextV(message, kMessageSize, format, args);
        va_end(args);
        WriteLine(message);
    }
    End();
}

void DiagLog::PrintWide(const char16_t* format, ...) {
    if (current.level <= consoleLevel) {
        char narrowFormat[kLineSize * 3 + 1];
        Utf16ToUtf8(format, Utf16Length(format), narrowFormat, sizeof(narrowFormat));
        va_list args;
        va_start(args, format);
        FormatTextV(message, kMessageSize, narrowFormat, args);
        va_end(args);
        WriteLine(message);
    }
    End();
}

void DiagLog::End() {
    SetLastError(current.lastError);
    errno = current.savedErrno;
    if (depth > 1) {
        current = saved.back();
        saved.pop_back();
    }
    --depth;
    lock.unlock();
}

void DiagLog::WriteLine(const char* text) {
    char stamp[24];
    std::snprintf(stamp, sizeof(stamp), "%09u\t", GetTickCount());

    // prefix, tag, "function - ", message, and always two closing blanks
    const size_t lastUsable = kLineSize - 1;
    size_t pos = Append(line, 0, prefix.c_str(), lastUsable - 2);
    pos = Append(line, pos, current.tag, lastUsable - 2);
    if (current.function[0] != u'\0') {
        pos = Append(line, pos, current.function, lastUsable - 2);
        pos = Append(line, pos, u" - ", lastUsable - 2);
    }
    // The message's room holds room - 1 units and a zero; a text near either limit may be cut.
    const size_t room = kLineSize - 2 - pos;
    const size_t textLength = std::char_traits<char>::length(text);
    const size_t written = Utf8ToUtf16(text, textLength, line + pos, room);
    const bool cut = textLength + 4 >= kMessageSize || written + 2 >= room;
    pos += MaskUrlPasswords(line + pos, written, room - 1, cut);
    line[pos++] = u' ';
    line[pos++] = u' ';
    line[pos] = u'\0';
    Utf16ToUtf8(line, pos, lineUtf8, sizeof(lineUtf8));

    Console(stamp);
    Console(lineUtf8);
    Console("\n");
    if (current.level <= fileLevel && !logPath.empty()) {
        WriteToFile();
    }
}

void DiagLog::Console(std::string_view text) {
    // Debug output, for a developer who asks for it: a person running the programs sees only
    // their messages.
    static const bool toStandardError = qEnvironmentVariable("LUMENFOLD_DEBUG") == QLatin1String("1");
    if (console) {
        console(text);
    } else if (toStandardError) {
        std::fwrite(text.data(), 1, text.size(), stderr);
    }
}

namespace {

// The counter of the file's first line; 0 when it has none that reads.
uint32_t FirstTickOf(int descriptor) {
    char head[16] = {};
    const ssize_t read = ::pread(descriptor, head, sizeof(head) - 1, 0);
    uint32_t tick = 0;
    for (ssize_t i = 0; i < read && head[i] >= '0' && head[i] <= '9'; ++i)
        tick = tick * 10 + static_cast<uint32_t>(head[i] - '0');
    return tick;
}

} // namespace

void DiagLog::WriteToFile() {
    FILE* file = std::fopen(logPath.c_str(), "a+");
    if (!file) {
        return; // the line is lost; the next one tries again
    }
    // The viewer, its stream control and the other programs of the data root append to one file:
    // under the file's lock each line is whole and a rotation is done once for all of them.
    ::flock(fileno(file), LOCK_EX);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const uint32_t tick = GetTickCount();
    char stamp[64];
    std::snprintf(stamp, sizeof(stamp), "%09u\t%02d:%02d:%02d\t%02d:%02d:%02d:", tick, local.tm_hour,
                  local.tm_min, local.tm_sec, local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    std::fputs(stamp, file);
    std::fputs(lineUtf8, file);
    std::fputc('\n', file);
    const long size = std::ftell(file); // with what a full disk left in the buffer
    std::fflush(file);
    // A counter that went back past its wrap rotates the file once: not again for a program whose
    // file another one rotated at the wrap already (its first line is of after the wrap).
    const bool wrapped = tick < lastTick && FirstTickOf(fileno(file)) > tick;
    if (size > rotateAt || wrapped) {
        Rotate(file, stamp, size);
    }
    lastTick = tick;
    std::fclose(file); // and with it the lock
}

void DiagLog::Rotate(FILE* file, const char* stamp, long size) {
    // Truncating the log when the backup does not hold its lines would lose them. Trying again
    // on every line would copy the whole growing log once per line: the next try waits until
    // the log has grown by another full rotation size.
    rotateAt = size + kLogRotateSize;
    if (!CopyToBackup() || ::ftruncate(fileno(file), 0) != 0) {
        return;
    }
    rotateAt = kLogRotateSize;
    Console("Coninue log file\n");
    std::fputs(stamp, file); // appended: at the start of the file emptied
    std::fputs(kContinued, file);
    std::fflush(file);
}

bool DiagLog::CopyToBackup() const {
    // The copy goes to a new file that replaces the backup only when it is whole, so that a copy
    // that fails (a full disk) leaves the previous backup as it was.
    std::string temporary = backupPath + ".XXXXXX";
    const int created = mkstemp(temporary.data());
    if (created < 0) {
        return false;
    }
    close(created);
    std::error_code error;
    std::filesystem::copy_file(logPath, temporary, std::filesystem::copy_options::overwrite_existing, error);
    if (!error) {
        std::filesystem::rename(temporary, backupPath, error);
    }
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
    }
    return !error;
}

void StartDiagLog(const char16_t* prefix, const char16_t* function, const QString& versionText) {
    const std::string path = HostPath(kLogFile);
    FILE* probe = std::fopen(path.c_str(), "r");
    if (!probe) {
        return;
    }
    std::fclose(probe);
    DiagLog& log = DiagLog::Instance();
    log.SetPrefix(prefix, LogLevel::Trace);
    log.SetFiles(kLogFile, kLogBackupFile, LogLevel::Trace);
    LogInfo(function, "Initialize application version '%S'", Wide(versionText));
}
