#include "tools/camsim/options.h"

#include "tools/camsim/resolution.h"

#include <charconv>
#include <functional>
#include <string_view>
#include <utility>

namespace camsim {

namespace {

using Setter = std::function<bool(Options&, std::string_view)>;

struct Option {
    const char* name;
    const char* argument; // null for a switch
    const char* help;
    Setter set;
    const char* byDefault = nullptr; // the argument when the option is last or another option follows
};

bool ParseNumber(std::string_view text, int min, int max, int& value) {
    int parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size() || parsed < min || parsed > max)
        return false;
    value = parsed;
    return true;
}

Setter Number(int min, int max, std::function<void(Options&, int)> store) {
    return [=](Options& options, std::string_view text) {
        int value = 0;
        if (!ParseNumber(text, min, max, value))
            return false;
        store(options, value);
        return true;
    };
}

Setter Text(std::function<void(Options&, std::string)> store) {
    return [=](Options& options, std::string_view text) {
        store(options, std::string(text));
        return true;
    };
}

Setter Switch(std::function<void(Options&)> store) {
    return [=](Options& options, std::string_view) {
        store(options);
        return true;
    };
}

bool SetFps(Options& options, std::string_view text) {
    if (text == "max") {
        options.camera.fps = 0;
        return true;
    }
    int fps = 0;
    if (!ParseNumber(text, 1, 1000, fps))
        return false;
    options.camera.fps = fps;
    return true;
}

bool SetAuth(Options& options, std::string_view text) {
    if (text == "none") {
        options.camera.auth = AuthMode::None;
    } else if (text == "basic") {
        options.camera.auth = AuthMode::Basic;
    } else if (text == "digest") {
        options.camera.auth = AuthMode::Digest;
    } else {
        return false;
    }
    return true;
}

bool SetSize(Options& options, std::string_view text) {
    PictureSize size;
    if (text == "halfsize" || !ParseResolution(text, {options.camera.width, options.camera.height}, size)) {
        return false;
    }
    options.camera.width = size.width;
    options.camera.height = size.height;
    return true;
}

// A boundary of 1 to 70 characters that a Content-Type parameter carries unquoted.
bool SetBoundary(Options& options, std::string_view text) {
    if (text.empty() || text.size() > 70)
        return false;
    for (const char c : text) {
        if (c <= ' ' || c > '~' || c == '"' || c == ';' || c == ',')
            return false;
    }
    options.camera.faults.boundary = std::string(text);
    return true;
}

bool SetCountedTrailer(Options& options, std::string_view text) {
    using Kind = Faults::CountedTrailer;
    const std::pair<std::string_view, Kind> kinds[] = {
        {"crlf", Kind::LineEnd}, {"zeros", Kind::Zeros}, {"ff", Kind::Ff}};
    for (const auto& [name, kind] : kinds) {
        if (text == name) {
            options.camera.faults.lengthCountsTrailer = kind;
            return true;
        }
    }
    return false;
}

constexpr int kMaxCount = 1000000000;

const std::vector<Option>& AllOptions() {
    static const std::vector<Option> options = {
        {"--help", nullptr, "show this text", Switch([](Options& o) { o.help = true; })},
        {"--version", nullptr, "show the version", Switch([](Options& o) { o.version = true; })},
        {"--demo", nullptr, "the demonstration set on fixed loopback ports (other options are ignored)",
         Switch([](Options& o) { o.demo = true; })},
        {"--port", "N", "HTTP port on 127.0.0.1 (0: any free port, printed on start; default 0)",
         Number(0, 65535, [](Options& o, int v) { o.port = static_cast<uint16_t>(v); })},
        {"--ftp-port", "N", "FTP greeting port on 127.0.0.1 (0: any free port; default 0)",
         Number(0, 65535, [](Options& o, int v) { o.ftpPort = static_cast<uint16_t>(v); })},
        {"--model", "M", "model name reported by the parameter query and the greeting (default Alder)",
         Text([](Options& o, std::string v) { o.camera.model = std::move(v); })},
        {"--firmware", "F", "firmware version (default 2.10)",
         Text([](Options& o, std::string v) { o.camera.firmware = std::move(v); })},
        {"--resolutions", "LIST", "resolution list reported (default 320x240,640x480)",
         Text([](Options& o, std::string v) { o.camera.resolutions = std::move(v); })},
        {"--sources", "N", "number of video sources, 1..16 (default 1)",
         Number(1, 16, [](Options& o, int v) { o.camera.sources = v; })},
        {"--ptz", nullptr, "the camera pans, tilts and zooms (ptz.cgi answers)",
         Switch([](Options& o) { o.camera.ptz = true; })},
        {"--no-param-query", nullptr, "param.cgi answers 404 (identification by FTP greeting only)",
         Switch([](Options& o) { o.camera.parameterQuery = false; })},
        {"--size", "WxH", "picture size when the request names none, each side up to 4096 (default 640x480)",
         SetSize},
        {"--fps", "F|max", "pictures per second, 1..1000, or max: as fast as the client reads (default 25)",
         SetFps},
        {"--max-clients", "N",
         "at most N stream clients at once; one more is answered 503 (default: no limit)",
         Number(1, 1000, [](Options& o, int v) { o.camera.maxStreamClients = v; })},
        {"--auth", "none|basic|digest", "access check (default none)", SetAuth},
        {"--user", "U", "user name for --auth",
         Text([](Options& o, std::string v) { o.camera.user = std::move(v); })},
        {"--password", "P", "password for --auth",
         Text([](Options& o, std::string v) { o.camera.password = std::move(v); })},
        {"--ftp-greeting", "TEXT", "greeting line (default: 220 VEXO <model> Network Camera <firmware> ...)",
         Text([](Options& o, std::string v) { o.ftp.line = std::move(v); })},
        {"--ftp-multiline", nullptr, "a 220- welcome line before the greeting",
         Switch([](Options& o) { o.ftp.multiLine = true; })},
        {"--ftp-split", nullptr, "greeting in two writes, the second when the client speaks or after 1 s",
         Switch([](Options& o) { o.ftp.split = true; })},
        {"--ftp-silent", nullptr, "accept FTP clients and never send anything",
         Switch([](Options& o) { o.ftp.silent = true; })},
        {"--trailer", "2|4", "bytes after each picture: 4 (CRLF CRLF, default) or 2 (CRLF)",
         [](Options& o, std::string_view text) {
             if (text != "2" && text != "4")
                 return false;
             o.camera.faults.trailerBytes = text == "2" ? 2 : 4;
             return true;
         }},
        {"--chunked", nullptr, "chunked transfer coding instead of a close-delimited stream",
         Switch([](Options& o) { o.camera.faults.chunked = true; })},
        {"--boundary", "NAME", "the parts' boundary (default myboundary)", SetBoundary},
        {"--boundary-first", nullptr,
         "each part is boundary, headers, picture and one line end, and nothing follows until the next "
         "picture (default: the next boundary line follows each picture at once)",
         Switch([](Options& o) { o.camera.faults.boundaryFirst = true; })},
        {"--no-boundary-in-type", nullptr,
         "answer Content-Type: application/octet-stream, declaring no boundary",
         Switch([](Options& o) { o.camera.faults.boundaryInType = false; })},
        {"--no-content-length", nullptr, "parts carry no Content-Length header",
         Switch([](Options& o) { o.camera.faults.partContentLength = false; })},
        {"--lf", nullptr, "LF line ends in the parts instead of CR LF",
         Switch([](Options& o) { o.camera.faults.lfLineEnds = true; })},
        {"--part-header-bytes", "N", "N bytes of extra header lines in each part",
         Number(0, 1000000, [](Options& o, int v) { o.camera.faults.partHeaderBytes = v; })},
        {"--header-byte", nullptr, "each part has a header line with a 0xFF byte in it (X-Name: Caf\\xff)",
         Switch([](Options& o) { o.camera.faults.headerByte = true; })},
        {"--boundary-in-picture", nullptr, "each picture holds the boundary line in a comment segment",
         Switch([](Options& o) { o.camera.faults.boundaryInPicture = true; })},
        {"--length-counts-trailer", "crlf|zeros|ff",
         "Content-Length counts the line end (crlf, default) or 2..16 padding bytes after the picture",
         SetCountedTrailer, "crlf"},
        {"--close-after", "N", "fault: close the stream after N pictures",
         Number(0, kMaxCount, [](Options& o, int v) { o.camera.faults.closeAfter = v; })},
        {"--close-mid-picture", "N", "fault: after N pictures, close in the middle of the next one",
         Number(0, kMaxCount, [](Options& o, int v) { o.camera.faults.closeMidPicture = v; })},
        {"--stall-after", "N", "fault: after N pictures, keep the connection and send nothing",
         Number(0, kMaxCount, [](Options& o, int v) { o.camera.faults.stallAfter = v; })},
        {"--status", "CODE", "fault: answer every request with this status (e.g. 404, 500, 503)",
         Number(100, 999, [](Options& o, int v) { o.camera.faults.status = v; })},
        {"--delay", "MS", "fault: wait MS milliseconds before the status line",
         Number(0, 3600000, [](Options& o, int v) { o.camera.faults.delayMs = v; })},
        {"--close-before-head", nullptr, "fault: close every connection without answering",
         Switch([](Options& o) { o.camera.faults.closeBeforeHead = true; })},
        {"--headless", nullptr, "fault: answer every request with a line of text, without status line",
         Switch([](Options& o) { o.camera.faults.headless = true; })},
        {"--junk", "N", "fault: N bytes of junk before the first boundary",
         Number(0, kMaxCount, [](Options& o, int v) { o.camera.faults.junkBytes = v; })},
        {"--header-length", "N", "fault: N bytes from each boundary to its picture",
         Number(0, 1000000, [](Options& o, int v) { o.camera.faults.headerLength = v; })},
        {"--picture-size", "N", "fault: every picture N bytes (padded or cut)",
         Number(1, 100000000, [](Options& o, int v) { o.camera.faults.pictureSize = v; })},
        {"--truncated", nullptr, "fault: every picture cut to half its length",
         Switch([](Options& o) { o.camera.faults.truncated = true; })},
        {"--corrupt", nullptr, "fault: pictures whose header no decoder accepts",
         Switch([](Options& o) { o.camera.faults.corrupt = true; })},
        {"--content-length", "N", "fault: every part announces Content-Length N",
         Number(0, kMaxCount, [](Options& o, int v) { o.camera.faults.contentLength = v; })},
        {"--grey", nullptr, "fault: grey-scale pictures",
         Switch([](Options& o) { o.camera.faults.grey = true; })},
        {"--width", "N", "fault: pictures N pixels wide whatever the request asks",
         Number(1, kMaxPictureSide, [](Options& o, int v) { o.camera.faults.width = v; })},
        {"--scene", "S",
         "pictures for motion detection: still, box:A:B (a box crosses from picture A to B), box:A:B:L,T,W,H "
         "(only inside that rectangle, in ten-thousandths), brightness:C (half as bright again from picture "
         "C), brightness:C:L,T,W,H (only inside that rectangle)",
         [](Options& o, std::string_view text) {
             const std::optional<MotionScene> scene = MotionScene::Parse(text);
             if (scene)
                 o.camera.scene = *scene;
             return scene.has_value();
         }},
        {"--repeat-after", "N", "fault: after N pictures, the Nth again and again, byte for byte (frozen)",
         Number(1, kMaxCount, [](Options& o, int v) { o.camera.faults.repeatAfter = v; })},
        {"--silent-after-head", "BYTES",
         "fault: the head and BYTES body bytes (0..199, default 0), then nothing (connection kept)",
         Number(0, 199, [](Options& o, int v) { o.camera.faults.silentAfterHead = v; }), "0"},
    };
    return options;
}

} // namespace

bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error) {
    options.camera.recordedBodyBytes = 0; // nobody reads the bodies of a camera on the command line
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        const Option* option = nullptr;
        for (const Option& candidate : AllOptions()) {
            if (word == candidate.name)
                option = &candidate;
        }
        if (option == nullptr) {
            error = "unknown option '" + std::string(word) + "'";
            return false;
        }
        std::string_view value;
        const bool omitted = i + 1 >= argc || std::string_view(argv[i + 1]).substr(0, 2) == "--";
        if (option->byDefault != nullptr && omitted) {
            value = option->byDefault;
        } else if (option->argument != nullptr) {
            if (i + 1 >= argc) {
                error = std::string(option->name) + " needs " + option->argument;
                return false;
            }
            value = argv[++i];
        }
        if (!option->set(options, value)) {
            error = std::string(option->name) + ": '" + std::string(value) + "' is not " + option->argument;
            return false;
        }
    }
    if (options.camera.auth != AuthMode::None && options.camera.user.empty()) {
        error = "--auth needs --user";
        return false;
    }
    return true;
}

std::string HelpText() {
    std::string text = "Usage: camsim [options]\n"
                       "A network camera on 127.0.0.1: Motion-JPEG stream, parameter query, PTZ commands,\n"
                       "access check, FTP greeting, and faults for tests. Stops on Ctrl-C.\n\n";
    for (const Option& option : AllOptions()) {
        std::string left = std::string("  ") + option.name;
        if (option.argument != nullptr) {
            const bool optional = option.byDefault != nullptr;
            left += std::string(optional ? " [" : " ") + option.argument + (optional ? "]" : "");
        }
        if (left.size() < 30)
            left.resize(30, ' ');
        text += left + " " + option.help + "\n";
    }
    return text;
}

} // namespace camsim
