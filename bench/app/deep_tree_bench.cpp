// Deep collections: a chain of nested folders with one camera in the deepest, 10,000, 20,000 and
// 30,000 levels by default. For each depth: CollectionTree::Refill of the tree shown offscreen as
// in the collection view (into an empty tree, then over the old items), selecting the deepest
// camera and filling the tree again with it open, the grid's list of the collection (GridItems),
// and the whole viewer's start on a settings file holding the collection, with the deepest
// camera selected and with the collection selected.
//   build-bench/bench/app/deep_tree_bench [levels ...]

#include "bench/app/benchsupport.h"

#include "app/shell/griditems.h"
#include "collection/collectiontree.h"
#include "foundation/log.h"
#include "settings/node.h"
#include "settings/settingsstore.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using bench::NowMs;

const QString kRoot = QStringLiteral("/CameraCollection");

// Built from the bottom up near the settings root and moved into the collection at the end, so
// that no settings call reaches deep: the building costs the same per level at any depth.
// Returns the deepest camera's path.
QString MakeChain(int levels) {
    Node& settings = Settings();
    settings = Node();
    settings.SetValue(kRoot + "/Name", Data("Cameras"));
    settings.SetValue(kRoot + "/Type", Data("Folder"));
    bench::AddCamera(settings, "/Chain/Door", 0);
    QString top = QStringLiteral("Door");
    for (int level = 0; level < levels; ++level) {
        settings.SetValue("/Wrap/Name", Data("F"));
        settings.SetValue("/Wrap/Type", Data("Folder"));
        settings.Move("/Chain/" + top, "/Wrap/" + top);
        settings.Move("/Wrap", "/Chain/F");
        top = QStringLiteral("F");
    }
    settings.Move("/Chain/" + top, kRoot + "/" + top);
    settings.Delete("/Chain");
    return kRoot + QStringLiteral("/F").repeated(levels) + "/Door";
}

// The whole viewer's start on a settings file of this collection, with this path selected.
void MeasureStart(const char* what, const QString& selected) {
    bench::Viewer viewer;
    Settings().SetValue("/Collection/SelectedPath", Data(selected));
    SaveSettings();
    const double start = NowMs();
    const bool started = viewer.Start();
    std::printf("  %-46s %9.1f ms\n", started ? what : "viewer start: FAILED", NowMs() - start);
}

void Measure(int levels) {
    const QString deepest = MakeChain(levels);
    std::printf("%d levels\n", levels);
    const auto figure = [](const char* what, double ms) { std::printf("  %-46s %9.1f ms\n", what, ms); };

    CollectionTree tree;
    tree.resize(480, 600);
    tree.show();
    bench::RunFor(50);
    double start = NowMs();
    tree.Refill();
    figure("Refill", NowMs() - start);
    start = NowMs();
    tree.Refill();
    figure("Refill over the old items", NowMs() - start);
    start = NowMs();
    tree.SelectPath(deepest);
    tree.repaint();
    QString selected;
    const bool found = tree.SelectedPath(selected) && selected == deepest;
    figure(found ? "select the deepest camera, repaint" : "select the deepest camera: NOT FOUND",
           NowMs() - start);
    start = NowMs();
    tree.Refill();
    figure("Refill over the old items, the deepest open", NowMs() - start);

    start = NowMs();
    const QStringList items = GridItems(kRoot);
    figure(items == QStringList{deepest} ? "grid items of the collection" : "grid items: WRONG",
           NowMs() - start);

    MeasureStart("viewer start (settings file, tree, selection)", deepest);
    MeasureStart("viewer start, the collection selected", kRoot);
    std::printf("  %-46s %9.1f MiB\n", "resident memory", bench::ResidentMiB());
}

} // namespace

int main(int argc, char** argv) {
    std::vector<int> depths;
    for (int i = 1; i < argc; ++i)
        depths.push_back(std::max(1, std::atoi(argv[i])));
    if (depths.empty())
        depths = {10000, 20000, 30000};
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    bench::QuietConsole();
    bench::Application application(argc, argv);
    DiagLog::Instance().SetPrefix(u"", LogLevel::Error);
    std::printf("Nested folders: Refill, selection, grid items and viewer start, platform %s\n",
                qPrintable(QGuiApplication::platformName()));
    std::printf("load average before: %s\n", qPrintable(bench::LoadAverage()));
    for (const int levels : depths)
        Measure(levels);
    std::printf("load average after: %s\n", qPrintable(bench::LoadAverage()));
    return 0;
}
