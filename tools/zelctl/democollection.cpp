#include "tools/zelctl/democollection.h"

#include "collection/camera.h"
#include "settings/node.h"
#include "tools/camsim/demoset.h"

#include <QStringList>

void AddDemoCollection(const Node& settings) {
    const QString folder = QStringLiteral("/CameraCollection/Demo Cameras");
    settings.SetValue(folder + "/Name", Data("Demo Cameras"));
    settings.SetValue(folder + "/Type", Data("Folder"));

    // camsim's titles are descriptions; the collection takes short names.
    const QStringList names = {QString(),          "Alder", "Damson PTZ",
                               "Elm Four Sources", "Cedar", "Birch Password"};
    const std::vector<camsim::DemoCamera> cameras = camsim::DemoCameras();
    QStringList members;
    for (size_t i = 1; i < cameras.size() && static_cast<qsizetype>(i) < names.size(); ++i) {
        Camera camera;
        camera.type = QStringLiteral("Camera");
        camera.name = names[static_cast<qsizetype>(i)];
        camera.address = QStringLiteral("127.0.0.1");
        camera.checkedAddress = camera.address;
        camera.port = cameras[i].port;
        camera.model = QString::fromStdString(cameras[i].config.model);
        camera.firmware = QString::fromStdString(cameras[i].config.firmware);
        camera.resolution = QStringLiteral("default");
        camera.cameraNumber = QStringLiteral("default");
        camera.rotation = QStringLiteral("0");
        const QString path = folder + QLatin1Char('/') + camera.name;
        camera.Save(settings.GetNode(path));
        if (cameras[i].config.auth == camsim::AuthMode::None)
            members.append(path); // the tour asks no password
    }

    const QString tour = QStringLiteral("/CameraCollection/Demo Tour");
    settings.SetValue(tour + "/Name", Data("Demo Tour"));
    settings.SetValue(tour + "/Type", Data("CameraSwitch"));
    settings.SetValue(tour + "/DisplayTime", Data(5));
    for (qsizetype i = 0; i < members.size(); ++i) {
        settings.SetValue(tour + QStringLiteral("/Cameras/Camera_%1").arg(i, 3, 10, QLatin1Char('0')),
                          Data(members[i]));
    }
    settings.SetValue(tour + "/NbrOfCameras", Data(static_cast<int>(members.size())));
}
