// The camsim program itself: it prints its port, serves, and stops on SIGTERM.

#include "tests/support/rawconnection.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

// Runs camsim with its output on a pipe.
class CamsimProcess {
  public:
    explicit CamsimProcess(std::vector<std::string> arguments) {
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
            return;
        pid = fork();
        if (pid == 0) {
            dup2(pipeFds[1], STDOUT_FILENO);
            close(pipeFds[0]);
            std::vector<char*> argv{const_cast<char*>(CAMSIM_PATH)};
            for (std::string& argument : arguments)
                argv.push_back(argument.data());
            argv.push_back(nullptr);
            execv(CAMSIM_PATH, argv.data());
            _exit(127);
        }
        close(pipeFds[1]);
        output = fdopen(pipeFds[0], "r");
    }
    ~CamsimProcess() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (output != nullptr)
            fclose(output);
    }
    std::string ReadLine() {
        char line[512] = {};
        return output != nullptr && fgets(line, sizeof line, output) != nullptr ? line : "";
    }
    // The exit status after SIGTERM, or -1 when it does not end within the time.
    int Terminate(int timeoutMs) {
        kill(pid, SIGTERM);
        return Wait(timeoutMs);
    }
    // The exit status (-2 when a signal ended it), or -1 when it does not end within the time.
    int Wait(int timeoutMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
            }
            usleep(1000);
        }
        return -1;
    }

  private:
    pid_t pid = -1;
    FILE* output = nullptr;
};

TEST(CamsimExecutableTest, PrintsItsPortsServesAndStopsOnSigterm) {
    CamsimProcess camsim({"--port", "0", "--ptz", "--model", "Fir"});
    const std::string http = camsim.ReadLine();
    ASSERT_EQ(http.rfind("camsim: http 127.0.0.1:", 0), 0u) << http;
    EXPECT_NE(http.find("model Fir firmware 2.10 auth none"), std::string::npos) << http;
    EXPECT_EQ(camsim.ReadLine().rfind("camsim: ftp 127.0.0.1:", 0), 0u);
    const int port = std::stoi(http.substr(std::string("camsim: http 127.0.0.1:").size()));

    RawConnection connection(static_cast<uint16_t>(port));
    connection.SendGet("/vexo-cgi/com/ptz.cgi?rzoom=2500");
    EXPECT_EQ(SplitAnswer(connection.TakeAnswer()).statusLine, "HTTP/1.1 200 OK");
    camsim.ReadLine(); // the stream URL
    EXPECT_EQ(camsim.ReadLine(),
              "camsim: ptz 127.0.0.1:" + std::to_string(port) + " /vexo-cgi/com/ptz.cgi?rzoom=2500\n");
    EXPECT_EQ(camsim.Terminate(1000), 0);
}

TEST(CamsimExecutableTest, HelpAndBadOptions) {
    CamsimProcess help({"--help"});
    EXPECT_EQ(help.ReadLine(), "Usage: camsim [options]\n");
    EXPECT_EQ(help.Wait(1000), 0);
    CamsimProcess bad({"--fps", "fast"});
    EXPECT_EQ(bad.Wait(1000), 2);
}

} // namespace
