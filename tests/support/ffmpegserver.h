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
// ffmpeg is started with posix_spawn, which keeps the thread sanitizer's view of this process
// whole. The destructor ends ffmpeg.

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

class FfmpegServer {
  public:
    explicit FfmpegServer(int picturesPerSecond, const std::vector<std::string>& muxerOptions = {});
    ~FfmpegServer();
    FfmpegServer(const FfmpegServer&) = delete;
    FfmpegServer& operator=(const FfmpegServer&) = delete;

    // True once ffmpeg listens for its client.
    bool Listening() const { return listening; }
    const std::string& Error() const { return error; }
    std::string Url() const;

    // ffmpeg's test picture at time 0, as 640x480 red-green-blue bytes (empty when ffmpeg fails).
    static std::string FirstPicture();

  private:
    bool StartOn(uint16_t port, const std::vector<std::string>& arguments);
    void End();

    pid_t pid = -1;
    uint16_t port = 0;
    bool listening = false;
    std::string error;
};
