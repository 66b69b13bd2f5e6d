// The viewer.

#include "app/resources/resource.h"
#include "app/resources/strings.h"
#include "app/shell/startoptions.h"
#include "app/shell/stopsignals.h"
#include "app/shell/zelppcapp.h"

#include "foundation/text.h"

#include <lumenfold_version.h>

#include <QApplication>

#include <csignal>
#include <cstdio>

namespace {

// --help and --version need no display: they are answered before the window system is asked.
bool AnswerWithoutWindows(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (arguments.contains(QStringLiteral("--help"))) {
        std::fputs(qPrintable(LoadResText(Str::CommandLineHelp)), stdout);
        return true;
    }
    if (arguments.contains(QStringLiteral("--version"))) {
        PrintVersion("zelppc");
        return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    // Past a file-size limit a settings save then fails with its reason and removes its
    // temporary file, instead of the signal ending the viewer half-way through the write.
    std::signal(SIGXFSZ, SIG_IGN);
    RegisterViewerStrings();
    if (AnswerWithoutWindows(argc, argv))
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1; // printed, or a failure
    QApplication application(argc, argv);
    QuitOnStopSignals(&application);
    // The name is the class of the main window on X11 (WM_CLASS "zelppc", "Lumenfold"), which the
    // desktop entry's StartupWMClass repeats; on Wayland the window names the entry itself. By
    // either the desktop finds the entry of a running viewer.
    QApplication::setApplicationName(QStringLiteral("Lumenfold"));
    QGuiApplication::setDesktopFileName(QStringLiteral(LUMENFOLD_APP_ID));
    // The window system's own options are gone from the arguments by now.
    StartOptions options;
    QString error;
    if (!ParseStartOptions(QApplication::arguments().mid(1), options, error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    ZelPPCApp app;
    if (!app.InitInstance(options))
        return app.FailedStartCode();
    application.exec();
    return app.ExitInstance();
}
