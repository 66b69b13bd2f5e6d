#pragma once
// The camsim command line.

#include "tools/camsim/cameraconfig.h"
#include "tools/camsim/ftpgreeter.h"

#include <cstdint>
#include <string>

namespace camsim {

struct Options {
    bool help = false;
    bool version = false;
    bool demo = false;
    uint16_t port = 0;
    uint16_t ftpPort = 0;
    CameraConfig camera;
    FtpGreeting ftp; // an empty line: the camera's default greeting
};

// False with a message naming the option for anything it does not understand.
bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error);
// Every option with its argument and meaning.
std::string HelpText();

} // namespace camsim
