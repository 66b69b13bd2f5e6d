#include "foundation/text.h"

#include <lumenfold_version.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>

namespace {

std::mutex tableLock;
std::map<int, const char16_t*>& Table() {
    static std::map<int, const char16_t*> table;
    return table;
}

std::atomic<HelpViewer> helpViewer{nullptr};

} // namespace

void RegisterStringTable(const StringResource* table, size_t count) {
    std::lock_guard<std::mutex> guard(tableLock);
    for (size_t i = 0; i < count; ++i) {
        Table()[table[i].id] = table[i].text;
    }
}

QString LoadResText(int id) {
    std::lock_guard<std::mutex> guard(tableLock);
    const auto found = Table().find(id);
    return found == Table().end() ? QString() : QString::fromUtf16(found->second);
}

QString FormatText(const QString& format, const QStringList& values) {
    QString out;
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format.at(i) == QLatin1Char('%') && i + 1 < format.size() &&
            format.at(i + 1) == QLatin1Char('s')) {
            out += values.value(next++);
            ++i;
        } else {
            out += format.at(i);
        }
    }
    return out;
}

QString IntToText(int value) {
    return QString::number(value);
}

QStringList SplitText(const QString& text, const QString& separators) {
    QStringList tokens;
    qsizetype pos = 0;
    const qsizetype length = text.size();
    while (pos < length) {
        while (pos < length && separators.contains(text.at(pos)))
            ++pos;
        const qsizetype start = pos;
        while (pos < length && !separators.contains(text.at(pos)))
            ++pos;
        if (pos > start)
            tokens.append(text.mid(start, pos - start));
    }
    return tokens;
}

QString FormatVersionText(int major, int minor, int build) {
    return QString::asprintf("%d.%02d.%03d", major, minor, build);
}

QString GetVersionText() {
#if defined(LUMENFOLD_VERSION_MAJOR) && defined(LUMENFOLD_VERSION_MINOR) && defined(LUMENFOLD_VERSION_BUILD)
    return FormatVersionText(LUMENFOLD_VERSION_MAJOR, LUMENFOLD_VERSION_MINOR, LUMENFOLD_VERSION_BUILD);
#else
    return FormatVersionText(0, 0, 0);
#endif
}

bool ResolveAddress(const char* host, int port, sockaddr_in& address) {
    std::memset(&address, 0, sizeof(address));
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (!host)
        return false;
    // A dotted address needs no lookup (inet_pton also takes 255.255.255.255).
    if (inet_pton(AF_INET, host, &address.sin_addr) == 1)
        return true;

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found)
        return false;
    bool ok = false;
    for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addrlen >= sizeof(sockaddr_in)) {
            address.sin_addr = reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr;
            ok = true;
            break;
        }
    }
    freeaddrinfo(found);
    return ok;
}

bool ResolveAddress(const QString& host, int port, sockaddr_in& address) {
    return ResolveAddress(host.toLocal8Bit().constData(), port, address);
}

void SetHelpViewer(HelpViewer viewer) {
    helpViewer = viewer;
}

void ShowHelp(const QString& document, const QString& anchor) {
    if (HelpViewer viewer = helpViewer.load()) {
        viewer(document, anchor);
    }
}
