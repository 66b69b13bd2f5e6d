#include "tools/camsim/streamwriter.h"

#include <algorithm>
#include <cstdio>

namespace camsim {

namespace {

constexpr std::string_view kBoundaryLine = "--myboundary\r\n";
constexpr std::string_view kJunk = "camsim junk before the first part\r\n";

std::string ChunkSizeLine(size_t size) {
    char line[24];
    std::snprintf(line, sizeof line, "%zx\r\n", size);
    return line;
}

} // namespace

StreamWriter::StreamWriter(Socket& socket, const Faults& faults, double fps, SceneSource scene,
                           BodyRecorder recorder)
    : socket(socket), faults(faults), fps(fps), scene(std::move(scene)), recorder(std::move(recorder)) {}

std::string StreamWriter::PartHeader(size_t pictureBytes, const Faults& faults) {
    const std::string length =
        std::to_string(faults.contentLength >= 0 ? static_cast<size_t>(faults.contentLength) : pictureBytes);
    const std::string natural =
        std::string(kBoundaryLine) + "Content-Type: image/jpeg\r\nContent-Length: " + length + "\r\n\r\n";
    const size_t padding =
        faults.headerLength > static_cast<int>(natural.size()) ? faults.headerLength - natural.size() : 0;
    return std::string(kBoundaryLine) + "Content-Type:" + std::string(1 + padding, ' ') +
           "image/jpeg\r\nContent-Length: " + length + "\r\n\r\n";
}

void StreamWriter::Run() {
    std::string head = "HTTP/1.1 200 OK\r\n"
                       "Content-Type: multipart/x-mixed-replace; boundary=myboundary\r\n"
                       "Cache-Control: no-cache\r\n"
                       "Pragma: no-cache\r\n";
    head += faults.chunked ? "Transfer-Encoding: chunked\r\n" : "Connection: close\r\n";
    head += "\r\n";
    if (!socket.Send(head))
        return;
    if (faults.junkBytes > 0) {
        std::string junk;
        while (junk.size() < static_cast<size_t>(faults.junkBytes))
            junk += kJunk;
        junk.resize(static_cast<size_t>(faults.junkBytes));
        if (!SendBody(junk))
            return;
    }
    const std::string_view trailer = std::string_view("\r\n\r\n").substr(0, faults.trailerBytes == 2 ? 2 : 4);
    nextPicture = std::chrono::steady_clock::now();
    std::string part;
    for (long long number = 0;; ++number) {
        if (number == faults.closeAfter) {
            if (SendBody(kBoundaryLine))
                EndBody();
            return;
        }
        if (number == faults.stallAfter) {
            if (SendBody(kBoundaryLine))
                socket.WaitUntilGone();
            return;
        }
        const std::shared_ptr<FrameCycle> cycle = scene();
        const std::string& encoded = cycle->Picture(number);
        const std::string shaped = NeedsShaping() ? Shape(encoded) : std::string();
        const std::string& picture = NeedsShaping() ? shaped : encoded;
        const std::string header = PartHeader(picture.size(), faults);
        if (number == faults.closeMidPicture) {
            SendBody(header + picture.substr(0, picture.size() / 2));
            return;
        }
        part.assign(header);
        part.append(picture);
        part.append(trailer);
        if (!SendBody(part) || !WaitForNextPicture())
            return;
    }
}

bool StreamWriter::SendBody(std::string_view bytes) {
    const bool sent = faults.chunked ? socket.Send(ChunkSizeLine(bytes.size()) + std::string(bytes) + "\r\n")
                                     : socket.Send(bytes);
    if (sent)
        recorder(bytes);
    return sent;
}

bool StreamWriter::EndBody() {
    return !faults.chunked || socket.Send("0\r\n\r\n");
}

bool StreamWriter::NeedsShaping() const {
    return faults.corrupt || faults.pictureSize > 0 || faults.truncated;
}

std::string StreamWriter::Shape(const std::string& encoded) const {
    std::string picture = encoded;
    if (faults.corrupt) {
        // SOF0: FF C0, two length bytes, then the sample precision.
        const size_t frame = picture.find("\xFF\xC0");
        if (frame != std::string::npos && frame + 4 < picture.size())
            picture[frame + 4] = 0;
    }
    if (faults.pictureSize > 0)
        picture.resize(static_cast<size_t>(faults.pictureSize), '\0');
    if (faults.truncated)
        picture.resize(picture.size() / 2);
    return picture;
}

bool StreamWriter::WaitForNextPicture() {
    if (fps <= 0)
        return true;
    const auto now = std::chrono::steady_clock::now();
    nextPicture += std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(1.0 / fps));
    // A client that fell behind gets the next picture at once, not a burst to catch up.
    if (nextPicture <= now) {
        nextPicture = now;
        return true;
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(nextPicture - now);
    return socket.Pause(static_cast<int>(wait.count()));
}

} // namespace camsim
