#pragma once
// Reads the greeting of a camera's FTP server: connect, receive the greeting line, say QUIT,
// close. Used by a lookup worker when the camera does not answer the parameter query.
//
// Threads: GetFTPConnectResponce runs on the worker and blocks; Cancel runs on the owner's
// thread at any time. The socket is closed exactly once, by the worker. Cancel shuts it down
// instead, which ends a blocked connect or receive at once (closing a descriptor does not wake
// a thread blocked on it) and cannot hit a descriptor number the process has since reused. A
// Cancel while the address is looked up stops the connect that would follow; a connect that
// nobody answers gives up after kConnectSeconds.

#include <QString>

#include <mutex>

// The port of the cameras' FTP servers.
inline constexpr int kFtpPort = 21;

class FtpGreetingProbe {
  public:
    static constexpr int kConnectSeconds = 10;

    // The greeting line as far as it arrived: up to its line end (LF or CR LF, not part of the
    // greeting), the server closing the connection, or 510 bytes. Empty after any failure or a
    // Cancel.
    QString GetFTPConnectResponce(const QString& address, int port);

    // Ends the probe's blocking waits; the probe then returns an empty or partial greeting.
    void Cancel();

  private:
    // A new socket, stored for Cancel; -1 once cancelled or when none can be made.
    int OpenSocket();
    void CloseSocket();
    // Whether Cancel came, as while the address was being looked up: nothing is connected then.
    bool Cancelled();

    std::mutex lock;
    int socket = -1;        // guarded by lock
    bool cancelled = false; // guarded by lock
};
