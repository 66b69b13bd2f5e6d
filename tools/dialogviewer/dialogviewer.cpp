// Shows one property sheet or dialog of the viewer on a settings file, so that it can be looked
// at and tried without the main window.
//
//   zelppc_dialogs [--settings FILE] [--save] [--page N] [--grab PNG] KIND [FOLDER [NAME]]
//
// KIND is camera, livesite, switch, folder (FOLDER and NAME as the collection view passes them;
// no NAME for a new item), progress, authorization, manualtype or about. Without --settings the
// viewer's own settings file is read (or the first-start collection). --save writes the file
// back after OK. --page makes that page of a sheet the active one once it shows; --grab saves
// a picture of the dialog once it shows and closes it.

#include "app/dialogs/aboutdlg.h"
#include "app/dialogs/authorizationdlg.h"
#include "app/dialogs/cameraconf.h"
#include "app/dialogs/cameraswitchconf.h"
#include "app/dialogs/folderconf.h"
#include "app/dialogs/livesiteconf.h"
#include "app/dialogs/manualcameratypedlg.h"
#include "app/dialogs/progressdlg.h"
#include "app/resources/resource.h"
#include "app/resources/strings.h"

#include "foundation/text.h"
#include "settings/archivefile.h"
#include "settings/defaults.h"
#include "settings/settingsstore.h"

#include "platform/com/runtime.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>

namespace {

struct Options {
    QString kind;
    QString folder = QStringLiteral("/CameraCollection");
    QString name;
    QString settingsFile;
    bool save = false;
    int page = -1;
    QString grab;
};

bool ParseOptions(const QStringList& arguments, Options& options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows a property sheet or dialog of the viewer."));
    parser.addHelpOption();
    const QCommandLineOption settings(QStringLiteral("settings"), QStringLiteral("Settings file to edit."),
                                      QStringLiteral("file"));
    const QCommandLineOption save(QStringLiteral("save"),
                                  QStringLiteral("Write the settings back after OK."));
    const QCommandLineOption page(QStringLiteral("page"), QStringLiteral("Page to show first."),
                                  QStringLiteral("n"));
    const QCommandLineOption grab(QStringLiteral("grab"),
                                  QStringLiteral("Save a picture of the dialog and close it."),
                                  QStringLiteral("png"));
    parser.addOptions({settings, save, page, grab});
    parser.addPositionalArgument(QStringLiteral("kind"),
                                 QStringLiteral("camera, livesite, switch, folder, progress, authorization, "
                                                "manualtype or about"));
    parser.addPositionalArgument(QStringLiteral("folder"), QStringLiteral("Folder of the item."),
                                 QStringLiteral("[folder]"));
    parser.addPositionalArgument(QStringLiteral("name"),
                                 QStringLiteral("Name of the item; none for a new one."),
                                 QStringLiteral("[name]"));
    parser.process(arguments);
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        parser.showHelp(2);
        return false;
    }
    options.kind = positional.at(0);
    if (positional.size() > 1)
        options.folder = positional.at(1);
    if (positional.size() > 2)
        options.name = positional.at(2);
    options.settingsFile = parser.value(settings);
    options.save = parser.isSet(save);
    options.page = parser.isSet(page) ? parser.value(page).toInt() : -1;
    options.grab = parser.value(grab);
    return true;
}

bool LoadTrees(const Options& options) {
    if (options.settingsFile.isEmpty()) {
        LoadSettings();
        return true;
    }
    Defaults().SetFromTable(kDefaultValuesTable);
    const LoadResult result = LoadArchiveFile(Settings(), options.settingsFile);
    if (result.status != LoadStatus::Loaded) {
        QTextStream(stderr) << "cannot read " << options.settingsFile << ": " << result.reason << "\n";
        return false;
    }
    return true;
}

// Once the dialog shows: the chosen page, then the picture.
void WhenShown(const Options& options) {
    QTimer::singleShot(0, [options] {
        auto* sheet = dynamic_cast<PropertySheet*>(QApplication::activeModalWidget());
        if (sheet && options.page >= 0)
            sheet->SetActivePage(options.page);
        if (options.grab.isEmpty())
            return;
        // Let the layout settle and paint once before the picture is taken.
        QTimer::singleShot(300, [options] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            dialog->grab().save(options.grab);
            dialog->close();
        });
    });
}

// Runs the item's sheet; prints its result and the item's path after the edit.
template <typename Sheet> int RunSheet(const Options& options) {
    Sheet sheet(nullptr, Path(options.folder), options.name);
    const int result = sheet.DoModal();
    QTextStream(stdout) << result << " " << sheet.ItemPath() << "\n";
    if (result == 1 && options.save && !options.settingsFile.isEmpty()) {
        SaveArchiveFile(Settings(), options.settingsFile, u"zelppc_dialogs", "Save");
    }
    return result;
}

template <typename Shown> int RunDialog(Shown& dialog) {
    const int result = dialog.DoModal();
    QTextStream(stdout) << result << "\n";
    return result;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    Options options;
    if (!ParseOptions(application.arguments(), options))
        return 2;
    RegisterViewerStrings();
    CoInitializeEx(nullptr, COINIT_MULTITHREADED); // the Motion page shows the camera's picture
    QApplication::setApplicationDisplayName(LoadResText(Str::AppTitle));
    if (!LoadTrees(options))
        return 1;
    WhenShown(options);

    const std::map<QString, std::function<void()>> kinds = {
        {QStringLiteral("camera"), [&] { RunSheet<CameraConf>(options); }},
        {QStringLiteral("livesite"), [&] { RunSheet<LiveSiteConf>(options); }},
        {QStringLiteral("switch"), [&] { RunSheet<CameraSwitchConf>(options); }},
        {QStringLiteral("folder"), [&] { RunSheet<FolderConf>(options); }},
        {QStringLiteral("progress"),
         [&] {
             ProgressDlg dialog(nullptr);
             dialog.SetUp(7000, LoadResText(Str::RetrievingCameraType).replace("%ADDRESS%", "192.168.0.90"),
                          0);
             RunDialog(dialog);
         }},
        {QStringLiteral("authorization"),
         [&] {
             AuthorizationDlg dialog;
             RunDialog(dialog);
             QTextStream(stdout) << dialog.userName << " " << dialog.password << " " << dialog.save << "\n";
         }},
        {QStringLiteral("manualtype"),
         [&] {
             ManualCameraTypeDlg dialog(QStringLiteral("192.168.0.90"));
             RunDialog(dialog);
             QTextStream(stdout) << dialog.GetCameraType() << "\n";
         }},
        {QStringLiteral("about"),
         [&] {
             AboutDlg dialog;
             RunDialog(dialog);
         }},
    };
    const auto kind = kinds.find(options.kind);
    if (kind == kinds.end()) {
        QTextStream(stderr) << "unknown kind '" << options.kind << "'\n";
        return 2;
    }
    kind->second();
    return 0;
}
