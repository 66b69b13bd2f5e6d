#include "tools/camsim/cameraserver.h"

#include "tools/camsim/resolution.h"
#include "tools/camsim/streamwriter.h"

#include <charconv>
#include <cmath>

namespace camsim {

namespace {

constexpr size_t kMaxHeadBytes = 16 * 1024;
// An idle kept-alive connection is closed after this long.
constexpr int kIdleMs = 60000;

const char* Reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

bool IsStreamPath(const std::string& path) {
    return path == "/vexo-cgi/mjpg/video.cgi" || path == "/nph-update.cgi" || path == "/nph-manupdate.cgi";
}

int TenThousandths(double fraction) {
    return static_cast<int>(std::lround(fraction * 10000));
}

} // namespace

CameraServer::CameraServer(CameraConfig config)
    : config(std::move(config)), authenticator(this->config.auth, this->config.user, this->config.password,
                                               "VEXO " + this->config.model),
      requests(this->config.recordedBodyBytes), listener([this](Socket& socket) { Serve(socket); }) {}

CameraServer::~CameraServer() {
    Stop();
}

bool CameraServer::Start(uint16_t port, std::string& error) {
    return listener.Start(port, error);
}

void CameraServer::Stop() {
    listener.Stop();
}

void CameraServer::QueueFaults(const Faults& faults, const std::string& pathPrefix) {
    std::lock_guard<std::mutex> guard(faultLock);
    queuedFaults.push_back(QueuedFaults{faults, pathPrefix});
}

std::vector<std::string> CameraServer::PtzCommands() const {
    std::vector<std::string> commands;
    for (const RequestRecord& record : requests.All()) {
        if (record.status == 200 && record.target.rfind("/vexo-cgi/com/ptz.cgi", 0) == 0) {
            commands.push_back(record.target);
        }
    }
    return commands;
}

void CameraServer::SetCommandListener(std::function<void(const std::string&)> listener) {
    commandListener = std::move(listener);
}

void CameraServer::SetPictureSentListener(std::function<void(long long)> listener) {
    pictureSentListener = std::move(listener);
}

Faults CameraServer::TakeFaults(const std::string& path) {
    std::lock_guard<std::mutex> guard(faultLock);
    for (auto it = queuedFaults.begin(); it != queuedFaults.end(); ++it) {
        if (path.rfind(it->pathPrefix, 0) == 0) {
            const Faults faults = it->faults;
            queuedFaults.erase(it);
            return faults;
        }
    }
    return config.faults;
}

void CameraServer::Serve(Socket& socket) {
    std::string received;
    for (;;) {
        size_t headEnd;
        while ((headEnd = received.find("\r\n\r\n")) == std::string::npos) {
            if (received.size() > kMaxHeadBytes) {
                socket.Send("HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                return;
            }
            if (socket.Receive(received, kIdleMs) != Socket::Wait::Data)
                return;
        }
        const std::optional<RequestHead> request =
            ParseRequestHead(std::string_view(received).substr(0, headEnd));
        received.erase(0, headEnd + 4);
        if (!request) {
            socket.Send("HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            return;
        }
        const size_t record = requests.Add(socket.Number(), *request);
        const bool keep = Handle(socket, *request, record);
        requests.Finish(record);
        if (!keep)
            return;
    }
}

bool CameraServer::Handle(Socket& socket, const RequestHead& request, size_t record) {
    const bool keepAlive = request.KeepAlive();
    if (request.method != "GET")
        return Answer(socket, record, 405, "405 Method Not Allowed\r\n", keepAlive);
    if (!authenticator.Check(request)) {
        return Answer(socket, record, 401, "401 Unauthorized\r\n", keepAlive,
                      "WWW-Authenticate: " + authenticator.Challenge() + "\r\n");
    }
    const std::string path = request.Path();
    const Faults faults = TakeFaults(path);
    if (faults.delayMs > 0 && !socket.Pause(faults.delayMs))
        return false;
    if (faults.closeBeforeHead)
        return false;
    if (faults.headless) { // as a server that speaks no HTTP of this century
        socket.Send("not an answer\r\n");
        return false;
    }
    if (faults.status != 0) {
        return Answer(socket, record, faults.status,
                      std::to_string(faults.status) + " " + Reason(faults.status) + "\r\n", keepAlive,
                      faults.location.empty() ? std::string() : "Location: " + faults.location + "\r\n");
    }
    if (IsStreamPath(path))
        return Stream(socket, request, faults, record);
    if (path == "/vexo-cgi/view/param.cgi")
        return Parameters(socket, request, record);
    if (path == "/vexo-cgi/com/ptz.cgi")
        return PtzCommand(socket, request, record);
    return Answer(socket, record, 404, "404 Not Found\r\n", keepAlive);
}

bool CameraServer::Answer(Socket& socket, size_t record, int status, const std::string& body, bool keepAlive,
                          const std::string& extraHeaders) {
    const std::string head =
        "HTTP/1.1 " + std::to_string(status) + " " + Reason(status) +
        "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
        "\r\nCache-Control: no-cache\r\n" + (keepAlive ? "" : "Connection: close\r\n") + extraHeaders +
        "\r\n";
    // Recorded before it goes out, so that a client holding the answer finds it in the log.
    requests.SetStatus(record, status);
    requests.AppendBody(record, body);
    return socket.Send(head + body) && keepAlive;
}

bool CameraServer::Stream(Socket& socket, const RequestHead& request, const Faults& faults, size_t record) {
    const PictureSize defaultSize{config.width, config.height};
    PictureSize size = defaultSize;
    const std::optional<std::string> resolution = request.Query("resolution");
    int camera = 1;
    const std::optional<std::string> cameraText = request.Query("camera");
    const char* cameraEnd = cameraText ? cameraText->data() + cameraText->size() : nullptr;
    const bool cameraOk = !cameraText || (std::from_chars(cameraText->data(), cameraEnd, camera) ==
                                              std::from_chars_result{cameraEnd, std::errc()} &&
                                          camera >= 1 && camera <= config.sources);
    if ((resolution && !ParseResolution(*resolution, defaultSize, size)) || !cameraOk) {
        return Answer(socket, record, 400, "400 Bad Request\r\n", false);
    }
    if (faults.width > 0)
        size.width = std::min(faults.width, kMaxPictureSide);

    // A camera that serves so many clients at once turns the next away until one leaves.
    if (++streamClients > config.maxStreamClients && config.maxStreamClients > 0) {
        --streamClients;
        requests.SetStream(record, StreamAnswer::Refused);
        return Answer(socket, record, 503, "503 Service Unavailable\r\n", false);
    }
    requests.SetStream(record, StreamAnswer::Served);
    requests.SetStatus(record, 200);
    const auto scene = [this, size, camera, grey = faults.grey] {
        const PtzPosition position = ptz.Position(camera);
        return frames.Get(FrameKey{size.width, size.height, camera, position.zoom,
                                   TenThousandths(position.crossX), TenThousandths(position.crossY), grey,
                                   config.scene});
    };
    const auto recorder = [this, record](std::string_view bytes) { requests.AppendBody(record, bytes); };
    StreamWriter(socket, faults, config.fps, scene, recorder, pictureSentListener, [this] {
        return thaws.load();
    }).Run();
    --streamClients;
    return false;
}

bool CameraServer::Parameters(Socket& socket, const RequestHead& request, size_t record) {
    const bool keepAlive = request.KeepAlive();
    if (!config.parameterQuery)
        return Answer(socket, record, 404, "404 Not Found\r\n", keepAlive);
    if (request.Query("action").value_or("") != "list") {
        return Answer(socket, record, 400, "400 Bad Request\r\n", keepAlive);
    }
    const std::pair<std::string, std::string> parameters[] = {
        {"root.Brand.ProdShortName", "VEXO " + config.model},
        {"root.Properties.Firmware.Version", config.firmware},
        {"root.Properties.Image.Resolution", config.resolutions},
        {"root.ImageSource.NbrOfSources", std::to_string(config.sources)},
        {"root.Properties.PTZ.PTZ", config.ptz ? "yes" : "no"},
    };
    const std::string groups = request.Query("group").value_or("");
    std::string body;
    std::vector<bool> listed(std::size(parameters), false);
    size_t start = 0;
    do {
        const size_t end = std::min(groups.find(',', start), groups.size());
        const std::string group = groups.substr(start, end - start);
        for (size_t i = 0; i < std::size(parameters); ++i) {
            const std::string& name = parameters[i].first;
            const bool inGroup = group.empty() || name == group || name.rfind(group + ".", 0) == 0;
            if (inGroup && !listed[i]) {
                body += name + "=" + parameters[i].second + "\n";
                listed[i] = true;
            }
        }
        start = end + 1;
    } while (start < groups.size());
    return Answer(socket, record, 200, body, keepAlive);
}

bool CameraServer::PtzCommand(Socket& socket, const RequestHead& request, size_t record) {
    const bool keepAlive = request.KeepAlive();
    if (!config.ptz)
        return Answer(socket, record, 404, "404 Not Found\r\n", keepAlive);
    if (!ptz.Apply(request, config.sources, config.width, config.height)) {
        return Answer(socket, record, 400, "400 Bad Request\r\n", keepAlive);
    }
    if (commandListener)
        commandListener(request.target);
    return Answer(socket, record, 200, std::string(), keepAlive);
}

} // namespace camsim
