#include "HelpWindow.h"

#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace mirado::ui {

HelpWindow::HelpWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    mobjBrowser = new QTextBrowser(this);
    // Links to the web go to the desktop; the window shows only the read-me.
    mobjBrowser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(mobjBrowser);
    resize(640, 720);
}

bool HelpWindow::Show(QWidget* owner, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QString html = QString::fromUtf8(file.readAll());
    if (file.error() != QFileDevice::NoError) return false;

    auto* window = owner ? owner->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!window) window = new HelpWindow(owner);
    window->mobjBrowser->setSearchPaths({QFileInfo(path).absolutePath()});
    window->mobjBrowser->setHtml(html);
    window->setWindowTitle(window->mobjBrowser->documentTitle());
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

}  // namespace mirado::ui
