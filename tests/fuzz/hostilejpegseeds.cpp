// Writes the hostile pictures into a folder of the JPEG fuzz target's seed corpus. They are made
// at build time instead of being kept: some are hundreds of kilobytes.
//   hostile_jpeg_seeds FOLDER

#include "control/decodelimits.h"
#include "tools/camsim/hostilepictures.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const camsim::HostilePicture& picture :
         camsim::HostilePictures({DecodeLimits::kMaxPixels, DecodeLimits::kMaxProgressivePixels,
                                  DecodeLimits::kMaxSide, DecodeLimits::kMaxScans})) {
        std::ofstream file(folder / picture.name, std::ios::binary | std::ios::trunc);
        file.write(picture.bytes.data(), static_cast<std::streamsize>(picture.bytes.size()));
        if (!file) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], (folder / picture.name).c_str());
            return 1;
        }
    }
    return 0;
}
