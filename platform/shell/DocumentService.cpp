#include "DocumentService.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <QWidget>

namespace mirado {

QStringList DocumentService::DocumentFolders() {
    const QString program = QCoreApplication::applicationDirPath();
    return {QDir::currentPath(), program, QDir::cleanPath(program + QStringLiteral("/../share/mirado"))};
}

DocumentService::Result DocumentService::Open(QWidget* owner, const QString& name, Fallback fallback) {
    for (const QString& folder : DocumentFolders()) {
        const QFileInfo document(QDir(folder), name);
        // Only a file is handed on: for anything else the desktop's handler
        // would show a message of its own.
        if (!document.isFile()) continue;
        const QString path = document.absoluteFilePath();
        Launch(owner, path, [path, fallback = std::move(fallback)](bool shown) {
            if (!shown && fallback) fallback(path);
        });
        return Result::Opened;
    }
    return Result::Missing;
}

#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)

// Here the system's own call knows at once whether a program took the file.
void DocumentService::Launch(QObject* /*context*/, const QString& path, std::function<void(bool shown)> done) {
    done(QDesktopServices::openUrl(QUrl::fromLocalFile(path)));
}

#else

// QDesktopServices reports success as soon as xdg-open starts, even when it
// then finds no handler. Its exit status tells, but in its generic mode
// (no known desktop) it returns only when the browser is closed: so the
// outcome is awaited by QProcess, never by the window's thread.
void DocumentService::Launch(QObject* context, const QString& path, std::function<void(bool shown)> done) {
    // Without a parent: a process still running when the program ends is
    // left alone, and so is the browser it started.
    auto* process = new QProcess;
    process->setProgram(QStringLiteral("xdg-open"));
    process->setArguments({path});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    QObject::connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) process->deleteLater();
    });
    QObject* receiver = context ? context : process;
    QObject::connect(process, &QProcess::finished, receiver, [done](int code, QProcess::ExitStatus status) {
        done(status == QProcess::NormalExit && code == 0);
    });
    QObject::connect(process, &QProcess::errorOccurred, receiver, [done](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) done(false);
    });
    process->start();
}

#endif

DocumentService& DocumentService::Real() {
    static DocumentService instance;
    return instance;
}

}  // namespace mirado
