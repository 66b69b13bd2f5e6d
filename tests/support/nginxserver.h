#pragma once
// A real nginx on 127.0.0.1, serving the files of a folder of its own, for the behaviour of
// cameras and servers that are not the simulator. Started in the foreground with the object and
// stopped with it.
//
//   NginxServer nginx;
//   nginx.AddFile("/vexo-cgi/view/param.cgi", bytes);
//   ASSERT_TRUE(nginx.Start()) << nginx.Error();

#include <QByteArray>
#include <QTemporaryDir>

#include <sys/types.h>

#include <cstdint>
#include <string>

class NginxServer {
  public:
    NginxServer() = default;
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    // A file served (as text/plain, with its length) at the target path.
    void AddFile(const std::string& target, const QByteArray& bytes);
    // Starts nginx and waits until it accepts connections; false, with Error, when it does not.
    // A port that another program took meanwhile is given up for another.
    bool Start();
    uint16_t Port() const { return port; }
    const std::string& Error() const { return error; }

  private:
    bool StartOnFreePort();
    bool IsRunning();

    QTemporaryDir folder;
    pid_t process = -1; // started with fork and exec: the thread sanitizer follows those
    uint16_t port = 0;
    std::string error;
};
