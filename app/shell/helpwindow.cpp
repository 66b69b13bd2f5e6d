#include "app/shell/helpwindow.h"

#include "app/resources/resource.h"

#include "foundation/text.h"

#include <QApplication>
#include <QKeySequence>
#include <QPointer>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>

namespace {
QPointer<QTextBrowser> window;
}

void HelpWindow::Show(const QString& document, const QString& anchor) {
    Q_INIT_RESOURCE(viewer);
    if (!window) {
        window = new QTextBrowser;
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowTitle(LoadResText(Str::AppTitle) + QStringLiteral(" Help"));
        window->setOpenExternalLinks(true);
        window->resize(480, 560);
        // Closed from the keyboard as other help and document windows are.
        for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
            QObject::connect(new QShortcut(keys, window), &QShortcut::activated, window, &QWidget::close);
        }
    }
    // Asked for from inside a dialog, the help is modal over it: any other window would take no
    // input while the dialog runs.
    QWidget* dialog = QApplication::activeModalWidget();
    const Qt::WindowModality modality = dialog && dialog != window ? Qt::ApplicationModal : Qt::NonModal;
    if (window->windowModality() != modality) {
        window->hide(); // a shown window keeps the modality it was shown with
        window->setWindowModality(modality);
    }
    QUrl url(QStringLiteral("qrc:/help/") + document);
    url.setFragment(anchor);
    window->setSource(url);
    window->scrollToAnchor(anchor);
    window->show();
    window->raise();
    window->activateWindow();
}

QTextBrowser* HelpWindow::Window() {
    return window.data();
}

void HelpWindow::Close() {
    if (window)
        window->close();
}
