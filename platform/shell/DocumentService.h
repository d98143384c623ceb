#pragma once

#include <QString>

class QWidget;

namespace mirado {

// Opening a document with the desktop's handler for its type. The base class
// asks the desktop; tests derive from it, or install a handler for the
// "file" scheme with QDesktopServices::setUrlHandler, to observe it.
class DocumentService {
public:
    virtual ~DocumentService() = default;

    // Opens the document at path (a relative path is looked up in the
    // process's current working folder). Returns false, and shows nothing,
    // when there is no such file or no handler took it.
    virtual bool Open(QWidget* owner, const QString& path);

    // The process-wide instance that asks the desktop.
    static DocumentService& Real();
};

}  // namespace mirado
