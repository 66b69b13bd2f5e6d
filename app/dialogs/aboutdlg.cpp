#include "app/dialogs/aboutdlg.h"

#include "app/dialogs/controlids.h"
#include "app/resources/resource.h"

#include "foundation/text.h"
#include "platform/ui/dataexchange.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>

AboutDlg::AboutDlg(QWidget* parent)
    : Dialog(parent), version(WithId(new QLabel(this), ControlId::Version)),
      platform(WithId(new QLabel(this), ControlId::PlatformName)) {
    setWindowTitle(QStringLiteral("About Lumenfold"));
    auto* picture = new QLabel(this);
    // The application's own icon, which the application sets at start.
    picture->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    picture->setAlignment(Qt::AlignTop);

    auto* grid = new QGridLayout(this);
    grid->addWidget(picture, 0, 0, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Lumenfold for"), this), 0, 1);
    grid->addWidget(platform, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Version:"), this), 1, 1);
    grid->addWidget(version, 1, 2);
    grid->setColumnStretch(2, 1);
    grid->addWidget(NewButtonBox(QDialogButtonBox::Ok), 2, 0, 1, 3);
    grid->setRowStretch(3, 1);
}

void AboutDlg::OnInitDialog() {
    // The camera view names its camera in the main window's title; the box shows the
    // viewer's own name there.
    if (QWidget* mainWindow = parentWidget() ? parentWidget()->window() : nullptr) {
        mainWindow->setWindowTitle(LoadResText(Str::AppTitle));
        mainWindow->update();
    }
    versionText = GetVersionText();
    platformText = LoadResText(Str::PlatformName);
    Dialog::OnInitDialog();
}

void AboutDlg::DoDataExchange(DataExchange& dx) {
    if (!dx.SaveAndValidate()) {
        version->setText(versionText);
        platform->setText(platformText);
    }
}
