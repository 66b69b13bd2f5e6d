// camsim: a network camera on 127.0.0.1 for the demo and for trying the viewer by hand.
// `camsim --help` lists the options; it runs until Ctrl-C (SIGINT) or SIGTERM.

#include "tools/camsim/cameraserver.h"
#include "tools/camsim/demoset.h"
#include "tools/camsim/ftpgreeter.h"
#include "tools/camsim/options.h"

#include <lumenfold_version.h>

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <mutex>

namespace {

std::mutex printLock;

void Print(const std::string& line) {
    std::lock_guard<std::mutex> guard(printLock);
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
}

void PrintCommands(camsim::CameraServer& server) {
    server.SetCommandListener([&server](const std::string& target) {
        Print("camsim: ptz 127.0.0.1:" + std::to_string(server.Port()) + " " + target + "\n");
    });
}

const char* AuthName(camsim::AuthMode mode) {
    switch (mode) {
    case camsim::AuthMode::Basic:
        return "basic";
    case camsim::AuthMode::Digest:
        return "digest";
    default:
        return "none";
    }
}

int RunDemo(const sigset_t& signals) {
    camsim::DemoSet demo;
    std::string error;
    if (!demo.Start(error, PrintCommands)) {
        std::fprintf(stderr, "camsim: %s\n", error.c_str());
        return 1;
    }
    Print("camsim: demonstration set running (Ctrl-C stops it)\n" + demo.Description());
    int signal = 0;
    sigwait(&signals, &signal);
    demo.Stop();
    return 0;
}

int RunCamera(const camsim::Options& options, const sigset_t& signals) {
    camsim::CameraServer server(options.camera);
    PrintCommands(server);
    camsim::FtpGreeting greeting = options.ftp;
    if (greeting.line.empty())
        greeting.line = camsim::DefaultGreeting(options.camera.model, options.camera.firmware);
    camsim::FtpGreeter greeter(greeting);
    std::string error;
    if (!server.Start(options.port, error) || !greeter.Start(options.ftpPort, error)) {
        std::fprintf(stderr, "camsim: %s\n", error.c_str());
        return 1;
    }
    const camsim::CameraConfig& camera = options.camera;
    std::string credentials;
    if (camera.auth != camsim::AuthMode::None) {
        credentials = " user \"" + camera.user + "\" password \"" + camera.password + "\"";
    }
    Print("camsim: http 127.0.0.1:" + std::to_string(server.Port()) + " model " + camera.model +
          " firmware " + camera.firmware + " auth " + AuthName(camera.auth) + credentials + "\n" +
          "camsim: ftp 127.0.0.1:" + std::to_string(greeter.Port()) + "\n" +
          "camsim: stream http://127.0.0.1:" + std::to_string(server.Port()) + "/vexo-cgi/mjpg/video.cgi\n");
    int signal = 0;
    sigwait(&signals, &signal);
    greeter.Stop();
    server.Stop();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    camsim::Options options;
    std::string error;
    if (!camsim::ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "camsim: %s\nTry 'camsim --help'.\n", error.c_str());
        return 2;
    }
    if (options.help || options.version) {
        if (options.help)
            std::fputs(camsim::HelpText().c_str(), stdout);
        else
            PrintVersion("camsim");
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1; // written, or a failure
    }
    // Every thread inherits the mask, so the signals wait for sigwait on this thread.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    return options.demo ? RunDemo(signals) : RunCamera(options, signals);
}
