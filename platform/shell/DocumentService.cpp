#include "DocumentService.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace mirado {

QStringList DocumentService::DocumentFolders() {
    const QString program = QCoreApplication::applicationDirPath();
    return {QDir::currentPath(), program, QDir::cleanPath(program + QStringLiteral("/../share/mirado"))};
}

DocumentService::Result DocumentService::Open(QWidget* /*owner*/, const QString& name) {
    for (const QString& folder : DocumentFolders()) {
        const QFileInfo document(QDir(folder), name);
        // Only a file is handed on: for anything else the desktop's handler
        // would show a message of its own.
        if (!document.isFile()) continue;
        return QDesktopServices::openUrl(QUrl::fromLocalFile(document.absoluteFilePath())) ? Result::Opened
                                                                                          : Result::NotOpened;
    }
    return Result::Missing;
}

DocumentService& DocumentService::Real() {
    static DocumentService instance;
    return instance;
}

}  // namespace mirado
