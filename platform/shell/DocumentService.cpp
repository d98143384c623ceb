#include "DocumentService.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace mirado {

bool DocumentService::Open(QWidget* /*owner*/, const QString& path) {
    const QFileInfo document(QDir::current(), path);
    // A missing document is not handed on: the desktop's handler would show
    // a message of its own about it.
    if (!document.isFile()) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(document.absoluteFilePath()));
}

DocumentService& DocumentService::Real() {
    static DocumentService instance;
    return instance;
}

}  // namespace mirado
