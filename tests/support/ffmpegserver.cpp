#include "tests/support/ffmpegserver.h"

#include "tests/support/freeport.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kAttempts = 5;
constexpr auto kListenWait = std::chrono::seconds(10);
constexpr auto kPictureWait = std::chrono::seconds(20);

std::string TestSource(int rate) {
    return "testsrc2=size=640x480:rate=" + std::to_string(rate);
}

// Whether a socket listens on 127.0.0.1:port, as the kernel lists it (a test connection would
// take ffmpeg's only client).
bool ListensOn(uint16_t port) {
    char local[32];
    std::snprintf(local, sizeof local, "0100007F:%04X", port);
    std::ifstream table("/proc/net/tcp");
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string number, address, remote, state;
        if (fields >> number >> address >> remote >> state && address == local && state == "0A")
            return true;
    }
    return false;
}

// Starts ffmpeg with its standard output on `out` and its errors on `err`; -1 when it cannot.
pid_t Spawn(const std::vector<std::string>& arguments, int out, int err) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>("ffmpeg"));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out, 1);
    posix_spawn_file_actions_adddup2(&actions, err, 2);
    pid_t pid = -1;
    const int failed = posix_spawnp(&pid, "ffmpeg", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

} // namespace

FfmpegServer::FfmpegServer(int picturesPerSecond, const std::vector<std::string>& muxerOptions) {
    for (int attempt = 0; attempt < kAttempts && !listening; ++attempt) {
        const uint16_t candidate = FreeLoopbackPort();
        if (candidate == 0)
            continue;
        std::vector<std::string> arguments = {
            "-hide_banner", "-loglevel", "error", "-re",   "-f", "lavfi", "-i", TestSource(picturesPerSecond),
            "-c:v",         "mjpeg",     "-f",    "mpjpeg"};
        arguments.insert(arguments.end(), muxerOptions.begin(), muxerOptions.end());
        arguments.insert(arguments.end(),
                         {"-listen", "1", "http://127.0.0.1:" + std::to_string(candidate) + "/x"});
        listening = StartOn(candidate, arguments);
    }
}

FfmpegServer::~FfmpegServer() {
    End();
}

void FfmpegServer::End() {
    if (pid <= 0)
        return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

bool FfmpegServer::StartOn(uint16_t candidate, const std::vector<std::string>& arguments) {
    char errors[] = "/tmp/ffmpegserver-XXXXXX";
    const int err = mkostemp(errors, O_CLOEXEC);
    const int out = open("/dev/null", O_WRONLY | O_CLOEXEC);
    pid = Spawn(arguments, out, err);
    close(out);
    bool ok = false;
    const auto deadline = Clock::now() + kListenWait;
    while (pid > 0 && Clock::now() < deadline) {
        if (ListensOn(candidate)) {
            ok = true;
            break;
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid) { // ended: the port was taken after all
            pid = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (ok) {
        port = candidate;
    } else {
        End();
        std::ifstream said(errors);
        error = "ffmpeg did not listen on port " + std::to_string(candidate) + ": " +
                std::string(std::istreambuf_iterator<char>(said), std::istreambuf_iterator<char>());
    }
    close(err);
    unlink(errors);
    return ok;
}

std::string FfmpegServer::Url() const {
    return "http://127.0.0.1:" + std::to_string(port) + "/x";
}

std::string FfmpegServer::FirstPicture() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return {};
    const int err = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t pid = Spawn({"-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i", TestSource(1),
                             "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"},
                            ends[1], err);
    close(ends[1]);
    close(err);
    std::string picture;
    const auto deadline = Clock::now() + kPictureWait;
    for (char chunk[65536]; pid > 0 && Clock::now() < deadline;) {
        pollfd readable{ends[0], POLLIN, 0};
        if (poll(&readable, 1, 100) <= 0)
            continue;
        const ssize_t n = read(ends[0], chunk, sizeof chunk);
        if (n <= 0)
            break;
        picture.append(chunk, static_cast<size_t>(n));
    }
    close(ends[0]);
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    return picture;
}
