#include "app/dialogs/recordingsdlg.h"

#include "app/resources/resource.h"

#include "foundation/text.h"
#include "platform/ui/messagebox.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

RecordingsDlg::RecordingsDlg(QWidget* parent, const QStringList& cameras, const QString& folder)
    : Dialog(parent) {
    setWindowTitle(LoadResText(Str::RecordingsTitle));
    auto* layout = new QVBoxLayout(this);
    if (cameras.isEmpty()) {
        auto* none = new QLabel(LoadResText(Str::RecordingsNone), this);
        none->setWordWrap(true);
        layout->addWidget(none);
    } else {
        auto* list = new QListWidget(this);
        list->addItems(cameras);
        layout->addWidget(list);
    }
    layout->addWidget(new QLabel(QDir::toNativeSeparators(folder), this));
    QDialogButtonBox* buttons = NewButtonBox(QDialogButtonBox::Ok);
    QPushButton* open =
        buttons->addButton(LoadResText(Str::RecordingsOpenFolder), QDialogButtonBox::ActionRole);
    connect(open, &QPushButton::clicked, this, [this, folder] {
        if (!QDir().mkpath(folder) || !QDesktopServices::openUrl(QUrl::fromLocalFile(folder))) {
            MessageBox(this, FormatText(LoadResText(Str::RecordingsFolderNotOpened), {folder}),
                       LoadResText(Str::AppTitle), MB_OK | MB_ICONEXCLAMATION);
        }
    });
    layout->addWidget(buttons);
    resize(420, 260);
}
