#include "tools/camsim/streamwriter.h"

#include <algorithm>
#include <cstdio>

namespace camsim {

namespace {

constexpr std::string_view kJunk = "camsim junk before the first part\r\n";
// Extra header lines are at most this long, line end included, unless a shorter one would be
// too short to be a header line.
constexpr size_t kPaddingLine = 100;
// The header line of servers that write names in an 8-bit character set.
constexpr std::string_view kByteHeader = "X-Name: Caf\xFF";

std::string ChunkSizeLine(size_t size) {
    char line[24];
    std::snprintf(line, sizeof line, "%zx\r\n", size);
    return line;
}

std::string LineEnd(const Faults& faults) {
    return faults.lfLineEnds ? "\n" : "\r\n";
}

// Header lines of exactly `bytes` bytes in all (or one line of the least length a line has).
std::string PaddingLines(size_t bytes, const std::string& lineEnd) {
    const std::string name = "X-Camsim-Padding: ";
    const size_t shortest = name.size() + 1 + lineEnd.size();
    std::string lines;
    for (size_t left = bytes == 0 ? 0 : std::max(bytes, shortest); left > 0;) {
        size_t length = std::min(left, kPaddingLine);
        if (left - length > 0 && left - length < shortest)
            length = left; // the rest would be too short for a line of its own
        lines += name + std::string(length - name.size() - lineEnd.size(), 'x') + lineEnd;
        left -= length;
    }
    return lines;
}

} // namespace

StreamWriter::StreamWriter(Socket& socket, const Faults& faults, double fps, SceneSource scene,
                           BodyRecorder recorder, PictureSent sent, ThawCount thaws)
    : socket(socket), faults(faults), fps(fps), scene(std::move(scene)), recorder(std::move(recorder)),
      sent(std::move(sent)), thaws(std::move(thaws)) {}

std::string StreamWriter::BoundaryLine(const Faults& faults) {
    return "--" + faults.boundary + LineEnd(faults);
}

std::string StreamWriter::PartHeader(size_t pictureBytes, const Faults& faults) {
    const std::string lineEnd = LineEnd(faults);
    const std::string boundaryLine = BoundaryLine(faults);
    const std::string length =
        std::to_string(faults.contentLength >= 0 ? static_cast<size_t>(faults.contentLength) : pictureBytes);
    const std::string lengthLine = faults.partContentLength ? "Content-Length: " + length + lineEnd : "";
    const std::string byteLine = faults.headerByte ? std::string(kByteHeader) + lineEnd : std::string();
    const std::string rest = "image/jpeg" + lineEnd + lengthLine +
                             PaddingLines(static_cast<size_t>(faults.partHeaderBytes), lineEnd) + byteLine +
                             lineEnd;
    const size_t natural = boundaryLine.size() + std::string_view("Content-Type: ").size() + rest.size();
    const size_t padding = faults.headerLength > static_cast<int>(natural)
                               ? static_cast<size_t>(faults.headerLength) - natural
                               : 0;
    return boundaryLine + "Content-Type:" + std::string(1 + padding, ' ') + rest;
}

void StreamWriter::Run() {
    const std::string type = faults.boundaryInType ? "multipart/x-mixed-replace; boundary=" + faults.boundary
                                                   : std::string("application/octet-stream");
    std::string head = "HTTP/1.1 200 OK\r\n"
                       "Content-Type: " +
                       type +
                       "\r\n"
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
    const std::string lineEnd = LineEnd(faults);
    const std::string boundaryLine = BoundaryLine(faults);
    const std::string trailer =
        faults.boundaryFirst || faults.trailerBytes == 2 ? lineEnd : lineEnd + lineEnd;
    // Each piece sent: the part's boundary line first, or the next part's last.
    const std::string before = faults.boundaryFirst ? boundaryLine : std::string();
    const std::string after = faults.boundaryFirst ? std::string() : boundaryLine;
    // A counted line end is the trailer's first.
    const std::string uncounted = faults.lengthCountsTrailer == Faults::CountedTrailer::LineEnd
                                      ? trailer.substr(lineEnd.size())
                                      : trailer;
    if (!faults.boundaryFirst && !SendBody(boundaryLine))
        return;
    nextPicture = std::chrono::steady_clock::now();
    const unsigned thawsAtStart = thaws ? thaws() : 0;
    std::string part;
    std::string repeated; // the picture a frozen camera sends again
    for (long long number = 0;; ++number) {
        if (number == faults.closeAfter) {
            if (SendBody(before))
                EndBody();
            return;
        }
        if (number == faults.stallAfter) {
            if (SendBody(before))
                socket.WaitUntilGone();
            return;
        }
        const bool frozen =
            faults.repeatAfter > 0 && number >= faults.repeatAfter && (!thaws || thaws() == thawsAtStart);
        std::shared_ptr<FrameCycle> cycle;
        std::string shaped;
        std::string_view picture = repeated;
        if (!frozen) {
            cycle = scene();
            const std::string& encoded = cycle->Picture(number);
            if (NeedsShaping())
                shaped = Shape(encoded);
            picture = NeedsShaping() ? shaped : encoded;
            if (number + 1 == faults.repeatAfter)
                repeated = picture;
        }
        const std::string counted = CountedTrailer(picture.size());
        const std::string headers =
            PartHeader(picture.size() + counted.size(), faults).substr(boundaryLine.size());
        if (number == faults.closeMidPicture) {
            SendBody(before + headers + std::string(picture.substr(0, picture.size() / 2)));
            return;
        }
        part.assign(before);
        part.append(headers);
        part.append(picture);
        part.append(counted);
        part.append(uncounted);
        part.append(after);
        if (!SendBody(part))
            return;
        if (sent)
            sent(number);
        if (!WaitForNextPicture())
            return;
    }
}

bool StreamWriter::SendBody(std::string_view bytes) {
    const auto silentAfter = static_cast<uint64_t>(faults.silentAfterHead);
    const bool last = faults.silentAfterHead >= 0 && bodySent + bytes.size() >= silentAfter;
    if (last)
        bytes = bytes.substr(0, silentAfter - bodySent);
    if (!bytes.empty()) {
        const bool sent = faults.chunked
                              ? socket.Send(ChunkSizeLine(bytes.size()) + std::string(bytes) + "\r\n")
                              : socket.Send(bytes);
        if (!sent)
            return false;
        recorder(bytes);
        bodySent += bytes.size();
    }
    if (last)
        socket.WaitUntilGone();
    return !last;
}

bool StreamWriter::EndBody() {
    return !faults.chunked || socket.Send("0\r\n\r\n");
}

bool StreamWriter::NeedsShaping() const {
    return faults.corrupt || faults.pictureSize > 0 || faults.truncated || faults.boundaryInPicture;
}

std::string StreamWriter::CountedTrailer(size_t pictureBytes) const {
    // Padding of 2 to 16 bytes, changing with the picture's length as a server's alignment would.
    const size_t padding = 2 + pictureBytes % 15;
    switch (faults.lengthCountsTrailer) {
    case Faults::CountedTrailer::LineEnd:
        return LineEnd(faults);
    case Faults::CountedTrailer::Zeros:
        return std::string(padding, '\0');
    case Faults::CountedTrailer::Ff:
        return std::string(padding, '\xFF');
    case Faults::CountedTrailer::None:
        break;
    }
    return std::string();
}

std::string StreamWriter::Shape(const std::string& encoded) const {
    std::string picture = encoded;
    if (faults.boundaryInPicture) {
        // A comment segment (FF FE, its length counting itself) right after the start marker.
        const std::string text = LineEnd(faults) + BoundaryLine(faults);
        const size_t length = text.size() + 2;
        const std::string comment = std::string("\xFF\xFE") + static_cast<char>(length >> 8) +
                                    static_cast<char>(length & 0xFF) + text;
        picture.insert(std::min<size_t>(2, picture.size()), comment);
    }
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
