#pragma once
// The demonstration set of `camsim --demo`, on fixed loopback ports: the demonstration server
// that the initial collection's live view sites point at, and a handful of cameras of different
// models (one with PTZ, one with four video sources, one identified only by its FTP greeting,
// one that asks for a password), each with its FTP greeting on a port of its own.

#include "tools/camsim/cameraserver.h"
#include "tools/camsim/ftpgreeter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace camsim {

struct DemoCamera {
    std::string title;
    uint16_t port = 0;
    uint16_t ftpPort = 0; // 0: none
    CameraConfig config;
};

// The cameras of the demonstration set, the demonstration server first.
std::vector<DemoCamera> DemoCameras();

class DemoSet {
  public:
    // Starts them all, each server after prepare(server); false with the reason when a port is
    // taken (nothing is left running then).
    bool Start(std::string& error, const std::function<void(CameraServer&)>& prepare = {});
    void Stop();
    const std::vector<std::unique_ptr<CameraServer>>& Servers() const { return servers; }
    // One line per camera: its URL, model, firmware, FTP port and credentials.
    std::string Description() const;

  private:
    std::vector<DemoCamera> cameras;
    std::vector<std::unique_ptr<CameraServer>> servers;
    std::vector<std::unique_ptr<FtpGreeter>> greeters;
};

} // namespace camsim
