#include "cameratype/cameratypetable.h"

#include "cameratype/leadingnumber.h"

namespace {

constexpr char kAllResolutions[] =
    "default,4CIF,2CIFEXP,2CIF,CIF,QCIF,160x120,240x180,320x240,480x360,640x480,1280x720,1280x960,1280x1024,"
    "176x144 (PAL),352x288 (PAL),704x576 (PAL),176x112 (NTSC),352x240 (NTSC),704x480 (NTSC)";
constexpr char kVgaResolutions[] = "default,320x240,640x480";
constexpr char kPalNtsc[] = "default,352x288 (PAL),704x576 (PAL),352x240 (NTSC),704x480 (NTSC)";
constexpr char kPalNtscHalfHeight[] =
    "default,352x288 (PAL),704x288 (PAL),704x576 (PAL),352x240 (NTSC),704x240 (NTSC),704x480 (NTSC)";
constexpr char kNtsc[] = "default,176x112 (NTSC),352x240 (NTSC),704x480 (NTSC)";
constexpr char kQuarterPalNtsc[] =
    "default,176x144 (PAL),352x288 (PAL),704x576 (PAL),176x112 (NTSC),352x240 (NTSC),704x480 (NTSC)";
constexpr char kQuarterPalNtscHalfHeight[] =
    "default,176x144 (PAL),352x288 (PAL),704x288 (PAL),704x576 (PAL),"
    "176x112 (NTSC),352x240 (NTSC),704x240 (NTSC),704x480 (NTSC)";
constexpr char kOneSource[] = "default,1";
constexpr char kFourSources[] = "default,1,2,3,4";

// Like "%d.%d": numbers that cannot be read stay 0.
void ScanVersion(const QString& text, int& major, int& minor) {
    major = 0;
    minor = 0;
    qsizetype p = 0;
    if (!ReadLeadingNumber(text, p, major))
        return;
    if (p < text.size() && text.at(p) == u'.') {
        ++p;
        ReadLeadingNumber(text, p, minor);
    }
}

} // namespace

#define CAMERA_TYPE(model, entry, version, resolutions, sources, ptz)                                        \
    {"/CameraType/" model "/Firmware/" entry, version}, {"Resolution", resolutions},                         \
        {"CameraNumber", sources}, {                                                                         \
        "PTZ", ptz                                                                                           \
    }

// Models in this order, and within a model from the highest entry down: the order of the
// model nodes under "/CameraType".
const TableRow kBuiltInCameraTypes[] = {
    CAMERA_TYPE("unknown", "0", "", kAllResolutions, kFourSources, "false"),
    CAMERA_TYPE("Alder", "0", "2.10", kVgaResolutions, kOneSource, "false"),
    CAMERA_TYPE("Birch", "0", "2.10", kVgaResolutions, kOneSource, "false"),
    CAMERA_TYPE("Cedar", "3", "2.40", kPalNtscHalfHeight, kOneSource, "false"),
    CAMERA_TYPE("Cedar", "2", "2.34", kPalNtsc, kOneSource, "false"),
    CAMERA_TYPE("Cedar", "1", "2.32", kPalNtsc, kOneSource, "false"),
    CAMERA_TYPE("Cedar", "0", "2.10", kPalNtsc, kOneSource, "false"),
    CAMERA_TYPE("Damson", "2", "2.35", kNtsc, kOneSource, "true"),
    CAMERA_TYPE("Damson", "1", "2.34", kNtsc, kOneSource, "true"),
    CAMERA_TYPE("Damson", "0", "2.10", kNtsc, kOneSource, "true"),
    CAMERA_TYPE("Elm", "1", "2.12", kQuarterPalNtsc, kFourSources, "true"),
    CAMERA_TYPE("Elm", "0", "1.00", kQuarterPalNtsc, kFourSources, "true"),
    CAMERA_TYPE("Elm+", "1", "3.02", kQuarterPalNtscHalfHeight, kFourSources, "true"),
    CAMERA_TYPE("Elm+", "0", "3.01", kQuarterPalNtsc, kFourSources, "true"),
    CAMERA_TYPE("Fir", "1", "2.12", kQuarterPalNtsc, kOneSource, "true"),
    CAMERA_TYPE("Fir", "0", "1.00", kQuarterPalNtsc, kOneSource, "true"),
    CAMERA_TYPE("Fir+", "1", "3.02", kPalNtscHalfHeight, kOneSource, "true"),
    CAMERA_TYPE("Fir+", "0", "3.01", kPalNtsc, kOneSource, "true"),
    CAMERA_TYPE("Gum", "1", "3.02", kPalNtscHalfHeight, kOneSource, "false"),
    CAMERA_TYPE("Gum", "0", "3.01", kPalNtsc, kOneSource, "false"),
    CAMERA_TYPE("Hazel", "2", "2.40", kPalNtscHalfHeight, kOneSource, "true"),
    CAMERA_TYPE("Hazel", "1", "2.12", kPalNtsc, kOneSource, "true"),
    CAMERA_TYPE("Hazel", "0", "2.10", kPalNtsc, kOneSource, "false"),
    CAMERA_TYPE("Ivy", "1", "2.12", kQuarterPalNtsc, kFourSources, "true"),
    CAMERA_TYPE("Ivy", "0", "2.10", kQuarterPalNtsc, kFourSources, "false"),
    {nullptr, nullptr},
};

#undef CAMERA_TYPE

bool IsVersionLower(const QString& a, const QString& b) {
    if (a.isEmpty())
        return false;
    int aMajor, aMinor, bMajor, bMinor;
    ScanVersion(a, aMajor, aMinor);
    ScanVersion(b, bMajor, bMinor);
    return aMajor < bMajor || (aMajor == bMajor && aMinor < bMinor);
}
