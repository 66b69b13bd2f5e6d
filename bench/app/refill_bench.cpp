// CollectionTree::Refill of a large collection: 1,000 cameras in 50 folders of 20, each camera
// with the keys a camera saved from its property pages carries. The tree is shown (offscreen)
// as in the collection view. Beside it, in the same run: the settings reads alone that a Refill
// makes (type and name of every item, children of every folder), and a Refill followed by the
// tree's paint.
//   build-bench/bench/app/refill_bench [rounds]

#include "bench/app/benchsupport.h"

#include "collection/collectiontree.h"
#include "collection/itemtype.h"
#include "collection/siblingorder.h"
#include "foundation/log.h"
#include "settings/node.h"
#include "settings/settingsstore.h"

#include <cstdio>
#include <cstdlib>

namespace {

using bench::NowMs;

const QString kRoot = QStringLiteral("/CameraCollection");

void MakeCollection() {
    const Node& settings = Settings();
    settings.SetValue(kRoot + "/Name", Data("Cameras"));
    settings.SetValue(kRoot + "/Type", Data("Folder"));
    for (int f = 0; f < 50; ++f) {
        const QString folder = kRoot + QStringLiteral("/Site %1").arg(f, 2, 10, QChar('0'));
        settings.SetValue(folder + "/Name", Data(Path::GetName(folder)));
        settings.SetValue(folder + "/Type", Data("Folder"));
        for (int c = 0; c < 20; ++c)
            bench::AddCamera(settings, folder + QStringLiteral("/Camera %1").arg(c, 2, 10, QChar('0')), 0,
                             f * 20 + c);
    }
}

// What a Refill reads of the settings, without the tree: the walk and the sibling keys.
int ReadAll(const QString& path) {
    const SiblingKey key = ReadSiblingKey(Path(path));
    int count = key.type == ItemType::None ? 0 : 1;
    if (key.type != ItemType::Folder)
        return count;
    ChildIterator it = Settings().GetFirstChild(Path(path));
    QString name;
    Data value;
    while (Settings().GetNextChild(it, name, value))
        count += ReadAll(Path::Join(Path(path), name).Text());
    return count;
}

int CountItems(QTreeWidgetItem* item) {
    int count = 1;
    for (int i = 0; i < item->childCount(); ++i)
        count += CountItems(item->child(i));
    return count;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    bench::QuietConsole();
    bench::Application application(argc, argv);
    DiagLog::Instance().SetPrefix(u"", LogLevel::Error);
    std::printf("CollectionTree::Refill, 1000 cameras in 50 folders, platform %s\n",
                qPrintable(QGuiApplication::platformName()));
    std::printf("load average before: %s\n", qPrintable(bench::LoadAverage()));
    MakeCollection();

    CollectionTree tree;
    tree.resize(480, 600);
    tree.show();
    bench::RunFor(100); // shown and painted once, empty

    double start = NowMs();
    tree.Refill();
    const double first = NowMs() - start;
    const int items = tree.topLevelItemCount() ? CountItems(tree.topLevelItem(0)) : 0;

    std::vector<double> refills, reads, painted;
    int read = 0;
    for (int round = 0; round < rounds; ++round) {
        start = NowMs();
        tree.Refill();
        refills.push_back(NowMs() - start);

        start = NowMs();
        read = ReadAll(kRoot);
        reads.push_back(NowMs() - start);

        start = NowMs();
        tree.Refill();
        tree.SelectPath(kRoot + "/Site 49/Camera 19");
        tree.repaint();
        painted.push_back(NowMs() - start);
    }

    const auto line = [](const char* what, const std::vector<double>& values) {
        std::printf("%-46s median %7.2f ms  (min %.2f, max %.2f)\n", what, bench::Median(values),
                    bench::Min(values), bench::Max(values));
    };
    std::printf("items in the tree                              %d (settings walk: %d)\n", items, read);
    std::printf("first Refill (makes the pictures)              %.2f ms\n", first);
    line("Refill", refills);
    line("reference: the settings reads of a Refill", reads);
    line("Refill, select the last camera, repaint", painted);
    std::printf("target: Refill under 100 ms: %s\n", bench::Median(refills) < 100 ? "met" : "MISSED");
    std::printf("load average after: %s\n", qPrintable(bench::LoadAverage()));
    return 0;
}
