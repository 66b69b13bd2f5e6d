#include "tools/camsim/demoset.h"

#include "settings/defaults.h"

namespace camsim {

namespace {

CameraConfig Camera(const std::string& model, const std::string& firmware, const std::string& resolutions,
                    int width, int height) {
    CameraConfig config;
    config.model = model;
    config.firmware = firmware;
    config.resolutions = resolutions;
    config.width = width;
    config.height = height;
    config.recordedBodyBytes = 0;
    return config;
}

} // namespace

std::vector<DemoCamera> DemoCameras() {
    const auto port = [](int offset) { return static_cast<uint16_t>(kDemoServerPort + offset); };
    std::vector<DemoCamera> cameras;
    cameras.push_back({"demonstration server (live view sites)", port(0), 0,
                       Camera("Alder", "2.10", "320x240,640x480", 640, 480)});
    cameras.push_back({"Alder", port(1), port(11), Camera("Alder", "2.10", "320x240,640x480", 640, 480)});
    DemoCamera damson{"Damson with PTZ", port(2), port(12),
                      Camera("Damson", "2.35", "176x112,352x240,704x480", 704, 480)};
    damson.config.ptz = true;
    cameras.push_back(damson);
    DemoCamera elm{"Elm with four video sources and PTZ", port(3), port(13),
                   Camera("Elm", "2.12", "176x144,352x288,704x576,176x112,352x240,704x480", 704, 576)};
    elm.config.sources = 4;
    elm.config.ptz = true;
    cameras.push_back(elm);
    DemoCamera cedar{"Cedar, identified by its FTP greeting only", port(4), port(14),
                     Camera("Cedar", "2.33", "352x288,704x576,352x240,704x480", 704, 576)};
    cedar.config.parameterQuery = false;
    cameras.push_back(cedar);
    DemoCamera birch{"Birch asking for a password (Digest)", port(5), port(15),
                     Camera("Birch", "2.10", "320x240,640x480", 640, 480)};
    birch.config.auth = AuthMode::Digest;
    birch.config.user = "demo";
    birch.config.password = "demo";
    cameras.push_back(birch);
    return cameras;
}

bool DemoSet::Start(std::string& error, const std::function<void(CameraServer&)>& prepare) {
    cameras = DemoCameras();
    for (const DemoCamera& camera : cameras) {
        servers.push_back(std::make_unique<CameraServer>(camera.config));
        if (prepare)
            prepare(*servers.back());
        if (!servers.back()->Start(camera.port, error)) {
            Stop();
            return false;
        }
        if (camera.ftpPort == 0)
            continue;
        FtpGreeting greeting;
        greeting.line = camera.config.parameterQuery
                            ? DefaultGreeting(camera.config.model, camera.config.firmware)
                            : "220 VEXO " + camera.config.model + " Video Server V" + camera.config.firmware +
                                  " (Mar 01 2005) ready.";
        greeters.push_back(std::make_unique<FtpGreeter>(greeting));
        if (!greeters.back()->Start(camera.ftpPort, error)) {
            Stop();
            return false;
        }
    }
    return true;
}

void DemoSet::Stop() {
    for (auto& server : servers)
        server->Stop();
    for (auto& greeter : greeters)
        greeter->Stop();
    servers.clear();
    greeters.clear();
}

std::string DemoSet::Description() const {
    std::string text;
    for (const DemoCamera& camera : cameras) {
        const CameraConfig& config = camera.config;
        text += "  http://127.0.0.1:" + std::to_string(camera.port) + "/  " + config.model + " " +
                config.firmware;
        if (camera.ftpPort != 0)
            text += "  ftp 127.0.0.1:" + std::to_string(camera.ftpPort);
        if (config.auth != AuthMode::None)
            text += "  user \"" + config.user + "\" password \"" + config.password + "\"";
        text += "  - " + camera.title + "\n";
    }
    return text;
}

} // namespace camsim
