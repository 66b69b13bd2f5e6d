// Throughput of the HTTP layer on an endless camera stream, beside the curl program.
//   build/bench/http/http_bench [seconds]       (default 10)
//
// camsim serves its stream as fast as the client reads; the stream is read for the given time
// through InternetReadFile in 64 KiB pieces, then by `curl -s -o /dev/null --max-time N` on the
// same URL, and both rates are printed with their ratio (the target is at least 0.9).

#include "platform/http/wininet.h"
#include "tools/camsim/cameraserver.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Rate {
    double bytes = 0;
    double seconds = 0;
    double MegabytesPerSecond() const { return seconds > 0 ? bytes / 1e6 / seconds : 0; }
};

Rate ReadThroughInternetReadFile(uint16_t port, int seconds) {
    Rate rate;
    HINTERNET session = InternetOpenW(u"http_bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET connection =
        InternetConnectW(session, u"127.0.0.1", port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request = HttpOpenRequestW(connection, nullptr, u"/vexo-cgi/mjpg/video.cgi", nullptr, nullptr,
                                         nullptr, kRequestFlags, 0);
    const auto start = Clock::now();
    const auto end = start + std::chrono::seconds(seconds);
    if (HttpSendRequestW(request, nullptr, 0, nullptr, 0)) {
        std::vector<char> buffer(64 * 1024);
        uint32_t read = 0;
        while (Clock::now() < end &&
               InternetReadFile(request, buffer.data(), static_cast<uint32_t>(buffer.size()), &read) &&
               read > 0) {
            rate.bytes += read;
        }
    }
    rate.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    InternetCloseHandle(request);
    InternetCloseHandle(connection);
    InternetCloseHandle(session);
    return rate;
}

Rate ReadThroughCurlProgram(const std::string& url, int seconds) {
    Rate rate;
    const std::string command =
        "curl -s -o /dev/null --max-time " + std::to_string(seconds) + " -w '%{size_download}' '" + url + "'";
    const auto start = Clock::now();
    FILE* curl = popen(command.c_str(), "r");
    if (curl == nullptr)
        return rate;
    char output[64] = {};
    if (std::fgets(output, sizeof output, curl) != nullptr)
        rate.bytes = std::atof(output);
    pclose(curl);
    rate.seconds = std::min<double>(seconds, std::chrono::duration<double>(Clock::now() - start).count());
    return rate;
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    camsim::CameraConfig config;
    config.fps = 0;
    camsim::CameraServer camera(config);
    std::string error;
    if (!camera.Start(0, error)) {
        std::fprintf(stderr, "http_bench: %s\n", error.c_str());
        return 1;
    }
    const std::string url = "http://127.0.0.1:" + std::to_string(camera.Port()) + "/vexo-cgi/mjpg/video.cgi";
    std::printf("stream %s, 640x480 pictures, %d s each\n", url.c_str(), seconds);
    std::fflush(stdout);

    const Rate ours = ReadThroughInternetReadFile(camera.Port(), seconds);
    std::printf("InternetReadFile (64 KiB reads): %8.1f MB/s  (%.0f bytes in %.2f s)\n",
                ours.MegabytesPerSecond(), ours.bytes, ours.seconds);
    std::fflush(stdout);
    const Rate curl = ReadThroughCurlProgram(url, seconds);
    std::printf("curl -s -o /dev/null:            %8.1f MB/s  (%.0f bytes in %.2f s)\n",
                curl.MegabytesPerSecond(), curl.bytes, curl.seconds);
    if (curl.bytes <= 0) {
        std::printf("curl gave no figure (is the curl program installed?)\n");
        return 1;
    }
    const double ratio = ours.MegabytesPerSecond() / curl.MegabytesPerSecond();
    std::printf("ratio %.2f (target at least 0.90): %s\n", ratio, ratio >= 0.9 ? "met" : "NOT met");
    camera.Stop();
    return 0;
}
