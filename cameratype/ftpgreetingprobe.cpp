#include "cameratype/ftpgreetingprobe.h"

#include "cameratype/cameratext.h"

#include "foundation/log.h"
#include "foundation/text.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr char16_t kFunction[] = u"CameraTypeLookup::GetFTPConnectResponce";
constexpr size_t kGreetingSize = 510;
constexpr char kQuit[] = "QUIT\r\n";

} // namespace

int FtpGreetingProbe::OpenSocket() {
    std::lock_guard<std::mutex> guard(lock);
    if (cancelled)
        return -1;
    socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket >= 0) { // on Linux, also the bound of a connect
        const timeval bound{kConnectSeconds, 0};
        ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &bound, sizeof(bound));
    }
    return socket;
}

bool FtpGreetingProbe::Cancelled() {
    std::lock_guard<std::mutex> guard(lock);
    return cancelled;
}

void FtpGreetingProbe::CloseSocket() {
    std::lock_guard<std::mutex> guard(lock);
    if (socket >= 0)
        ::close(socket);
    socket = -1;
}

void FtpGreetingProbe::Cancel() {
    std::lock_guard<std::mutex> guard(lock);
    cancelled = true;
    if (socket >= 0)
        ::shutdown(socket, SHUT_RDWR);
}

QString FtpGreetingProbe::GetFTPConnectResponce(const QString& address, int port) {
    if (address.isEmpty()) {
        LogWarning(kFunction, "Empty host");
        return QString();
    }
    const int s = OpenSocket();
    if (s < 0) {
        LogError(kFunction, "Create socket failed");
        return QString();
    }

    char greeting[kGreetingSize + 1] = {};
    size_t received = 0;
    sockaddr_in server{};
    if (!ResolveAddress(address, port, server)) {
        LogError(kFunction, "Failed to convert address");
    } else if (Cancelled()) {
        // Cancelled while the address was looked up.
    } else if (::connect(s, reinterpret_cast<const sockaddr*>(&server), sizeof(server)) != 0) {
        LogWarning(kFunction, "ThreadFuncIdentify: connect failed");
    } else {
        // A greeting may come in several pieces; the line is whole at its line feed.
        while (received < kGreetingSize && !std::memchr(greeting, '\n', received)) {
            const ssize_t got = ::recv(s, greeting + received, kGreetingSize - received, 0);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            received += static_cast<size_t>(got);
        }
        ::send(s, kQuit, sizeof(kQuit) - 1, MSG_NOSIGNAL);
    }
    CloseSocket();
    return LineFrom(DecodeCameraText(QByteArrayView(greeting, static_cast<qsizetype>(std::strlen(greeting)))),
                    0);
}
