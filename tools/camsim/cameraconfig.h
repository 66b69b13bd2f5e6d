#pragma once
// What one simulated camera is: its identity as the parameter query reports it, its pictures,
// its access check and its faults.

#include "tools/camsim/authenticator.h"
#include "tools/camsim/faults.h"
#include "tools/camsim/motionscene.h"
#include "tools/camsim/requestlog.h"

#include <string>

namespace camsim {

struct CameraConfig {
    std::string model = "Alder";
    std::string firmware = "2.10";
    std::string resolutions = "320x240,640x480"; // root.Properties.Image.Resolution
    int sources = 1;                             // video sources, the stream's "camera" 1..sources
    bool ptz = false;                            // ptz.cgi answers 404 without
    bool parameterQuery = true;                  // param.cgi answers 404 without
    int width = 640;                             // pictures when the request names no resolution
    int height = 480;
    double fps = 25;          // pictures per second; 0: as fast as the client reads
    int maxStreamClients = 0; // streams served at once; one more is answered 503 and closed; 0: no limit
    AuthMode auth = AuthMode::None;
    std::string user;
    std::string password;
    Faults faults;
    MotionScene scene; // pictures of a scene for motion detection instead of the test pattern
    // Bytes of each answer's body the request log keeps for tests; a long-running camsim keeps none.
    size_t recordedBodyBytes = RequestLog::kDefaultBodyLimit;
};

} // namespace camsim
