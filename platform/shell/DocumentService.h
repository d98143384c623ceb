#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace mirado {

// Opening a document with the desktop's handler for its type. The base class
// asks the desktop; tests derive from it, or install a handler for the
// "file" scheme with QDesktopServices::setUrlHandler, to observe it.
class DocumentService {
public:
    enum class Result { Opened, Missing, NotOpened };

    virtual ~DocumentService() = default;

    // Opens the document name, looked up in DocumentFolders() in order.
    // Missing when no folder holds such a file; NotOpened when no handler
    // took it. Shows nothing itself.
    virtual Result Open(QWidget* owner, const QString& name);

    // Where documents are looked for: the working folder, then the
    // program's own folder (a program unzipped anywhere), then the data
    // folder of an installation (<prefix>/share/mirado for <prefix>/bin).
    static QStringList DocumentFolders();

    // The process-wide instance that asks the desktop.
    static DocumentService& Real();
};

}  // namespace mirado
