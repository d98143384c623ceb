#pragma once

#include <functional>

#include <QString>
#include <QStringList>

class QObject;
class QWidget;

namespace mirado {

// Opening a document with the desktop's handler for its type. Tests derive
// from it to observe it, or put a program of their own named xdg-open first
// on PATH to play the desktop.
class DocumentService {
public:
    enum class Result { Opened, Missing };
    // Gets the full path of a document that the desktop could not show.
    using Fallback = std::function<void(const QString& path)>;

    virtual ~DocumentService() = default;

    // Opens the document name, looked up in DocumentFolders() in order.
    // Missing when no folder holds such a file. Otherwise the desktop is
    // asked, and when it cannot show the document (no handler, a handler
    // that fails, no desktop at all) fallback gets the document's path: at
    // once, or later from the event loop, as long as owner still exists.
    // Shows nothing itself.
    virtual Result Open(QWidget* owner, const QString& name, Fallback fallback);

    // Where documents are looked for: the working folder, then the
    // program's own folder (a program unzipped anywhere), then the data
    // folder of an installation (<prefix>/share/mirado for <prefix>/bin).
    static QStringList DocumentFolders();

    // The process-wide instance that asks the desktop.
    static DocumentService& Real();

protected:
    // Hands the file at path to the desktop and calls done with whether it
    // was shown, on context's thread and only while context exists.
    virtual void Launch(QObject* context, const QString& path, std::function<void(bool shown)> done);
};

}  // namespace mirado
