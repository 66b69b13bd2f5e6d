// Settings store figures for a large collection: 1,000 cameras in 50 folders.
//   build/bench/settings/settings_bench

#include "foundation/log.h"
#include "settings/archivefile.h"
#include "settings/node.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The keys a camera saved from its property pages carries.
void AddCamera(const Node& settings, const QString& path, int number) {
    const Node camera = settings.GetNode(path);
    camera.SetValue("Type", Data("Camera"));
    camera.SetValue("Name", Data(Path::GetName(path)));
    camera.SetValue("Address", Data(QStringLiteral("192.168.%1.%2").arg(number / 250).arg(number % 250 + 1)));
    camera.SetValue("CheckedAddress",
                    Data(QStringLiteral("192.168.%1.%2").arg(number / 250).arg(number % 250 + 1)));
    camera.SetValue("Port", Data(80));
    camera.SetValue("Model", Data("Cedar"));
    camera.SetValue("Firmware", Data("2.33"));
    camera.SetValue("UserName", Data("operator"));
    camera.SetValue("Password", Data("secret"));
    camera.SetValue("Resolution", Data("352x288 (PAL)"));
    camera.SetValue("CameraNumber", Data("default"));
    camera.SetValue("Rotation", Data("0"));
    camera.SetValue("Compression", Data(""));
    camera.SetValue("CustomURL", Data(""));
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main() {
    DiagLog::Instance().SetPrefix(u"", LogLevel::Error); // no trace line per save
    QTemporaryDir folder;
    const QString file = folder.filePath("ZelSettings.arc");

    Node settings;
    settings.SetValue("/CameraCollection/Name", Data("Cameras"));
    settings.SetValue("/CameraCollection/Type", Data("Folder"));
    QStringList cameraPaths;
    for (int f = 0; f < 50; ++f) {
        const QString folderPath = QStringLiteral("/CameraCollection/Site %1").arg(f);
        settings.SetValue(folderPath + "/Name", Data(QStringLiteral("Site %1").arg(f)));
        settings.SetValue(folderPath + "/Type", Data("Folder"));
        for (int c = 0; c < 20; ++c) {
            const QString path = folderPath + QStringLiteral("/Camera %1").arg(c);
            AddCamera(settings, path, f * 20 + c);
            cameraPaths.append(path);
        }
    }

    std::vector<double> saves;
    std::vector<double> loads;
    for (int round = 0; round < 11; ++round) {
        auto start = Clock::now();
        if (!SaveArchiveFile(settings, file, u"bench", "Save"))
            return 1;
        saves.push_back(Milliseconds(start));
        Node loaded;
        start = Clock::now();
        if (LoadArchiveFile(loaded, file).status != LoadStatus::Loaded)
            return 1;
        loads.push_back(Milliseconds(start));
    }

    static const char* const keys[] = {"Type",     "Address",    "Port",    "Model",
                                       "Firmware", "Resolution", "Password"};
    const auto start = Clock::now();
    long long checksum = 0;
    for (int i = 0; i < 100000; ++i) {
        const QString& camera = cameraPaths[i % cameraPaths.size()];
        checksum += settings.GetValue(camera + '/' + QLatin1String(keys[i % 7])).GetText().size();
    }
    const double getValues = Milliseconds(start);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("collection              1000 cameras in 50 folders\n");
    std::printf("save (median of 11)     %.2f ms\n", Median(saves));
    std::printf("load (median of 11)     %.2f ms\n", Median(loads));
    std::printf("100,000 GetValue        %.1f ms (%.2f us each, checksum %lld)\n", getValues,
                getValues * 1000.0 / 100000, checksum);
    std::printf("file size               %lld bytes\n", static_cast<long long>(QFileInfo(file).size()));
    std::printf("peak memory (max RSS)   %.1f MiB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
