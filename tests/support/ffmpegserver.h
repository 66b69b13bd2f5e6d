#pragma once
// ffmpeg serving its test picture as a Motion-JPEG stream over HTTP, on a free loopback port, to
// one client (ffmpeg -listen 1 serves a single connection, then ends):
//
//   ffmpeg -re -f lavfi -i testsrc2=size=640x480:rate=R -c:v mjpeg -f mpjpeg [OPTIONS] -listen 1 URL
//
//   FfmpegServer server(25, {"-boundary_tag", "myboundary"});
//   ASSERT_TRUE(server.Listening()) << server.Error();
//   ... open server.Url() ...
//
// The port is one the kernel just gave out; if ffmpeg finds it taken after all, another is tried.
// The destructor ends ffmpeg.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>

class FfmpegServer {
  public:
    FfmpegServer(int picturesPerSecond, const QStringList& muxerOptions = {});
    ~FfmpegServer();
    FfmpegServer(const FfmpegServer&) = delete;
    FfmpegServer& operator=(const FfmpegServer&) = delete;

    // True once ffmpeg listens for its client.
    bool Listening() const { return listening; }
    QString Error() const { return error; }
    std::string Url() const;

    // ffmpeg's test picture at time 0, as 640x480 red-green-blue bytes (empty when ffmpeg fails).
    static QByteArray FirstPicture();

  private:
    bool StartOn(uint16_t port, const QStringList& arguments);

    std::unique_ptr<QProcess> process;
    uint16_t port = 0;
    bool listening = false;
    QString error;
};
