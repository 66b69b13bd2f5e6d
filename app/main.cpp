// The viewer.

#include "app/zelppcapp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumenfold"));
    ZelPPCApp app;
    if (!app.InitInstance()) return 1;
    application.exec();
    return app.ExitInstance();
}
