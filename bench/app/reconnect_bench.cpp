// A grid tile and the camera view against a camera that sends one picture and closes each
// stream: the connections a second they make, in windows of 5 s. They connect again at once the
// first time and then less and less often, up to one connection each 10 s. The camera runs in
// this process (camsim's server), so that its request log counts the connections.
//   build/bench/app/reconnect_bench [seconds]           (default 20 for each)

#include "bench/app/benchsupport.h"

#include "app/resources/resource.h"
#include "app/shell/cameraview.h"
#include "app/shell/gridview.h"
#include "app/shell/mainframe.h"

#include "collection/collectiontree.h"
#include "settings/settingsstore.h"
#include "tools/camsim/cameraserver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const QString kFolder = QStringLiteral("/CameraCollection/Bench folder");

// Prints the connections a second in each 5 s of the given seconds.
void CountConnections(const camsim::CameraServer& camera, int seconds) {
    size_t last = camera.Requests().All().size();
    for (int t = 5; t <= seconds; t += 5) {
        bench::RunFor(5000);
        const size_t now = camera.Requests().All().size();
        std::printf("  %3d s: %7.1f connections/s\n", t, (now - last) / 5.0);
        last = now;
    }
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 20;
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    bench::QuietConsole();
    bench::Application application(argc, argv);
    camsim::CameraConfig config;
    config.faults.closeAfter = 1;
    camsim::CameraServer camera(config);
    std::string error;
    if (!camera.Start(0, error)) {
        std::printf("error: camsim: %s\n", error.c_str());
        return 1;
    }
    bench::Viewer viewer;
    if (!viewer.Start()) {
        std::printf("error: the viewer did not start\n");
        return 1;
    }
    Settings().SetValue(kFolder + "/Type", Data("Folder"));
    Settings().SetValue(kFolder + "/Name", Data("Bench folder"));
    bench::AddCamera(Settings(), kFolder + "/One picture", camera.Port());
    viewer.Tree().Refill();

    std::printf("a camera that sends one picture a stream; a grid of one tile:\n");
    viewer.Tree().SelectPath(kFolder);
    viewer.Frame().OnCommand(Command::ViewAsGrid);
    CountConnections(camera, seconds);

    std::printf("the camera view of it:\n");
    viewer.Frame().OnCommand(Command::ViewCameras);
    bench::RunFor(3000); // the shared stream's linger ends
    viewer.Tree().SelectPath(kFolder + "/One picture");
    viewer.Frame().OnCommand(32791); // Open
    CountConnections(camera, seconds);
    camera.Stop();
    return 0;
}
