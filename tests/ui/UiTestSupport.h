#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include "DocumentService.h"
#include "MessageBoxService.h"

class QTimer;
class QWidget;

namespace mirado::test {

// An error box service that records the texts instead of showing a box.
class RecordingMessages : public MessageBoxService {
public:
    void ShowError(QWidget* owner, const QString& text) override {
        owners.push_back(owner);
        texts.push_back(text);
    }
    std::vector<QWidget*> owners;
    std::vector<QString> texts;
};

// Runs an action on the first modal widget that appears while the object
// lives, from a timer, so that a test can answer a modal dialog that the code
// under test shows with exec(). When the modal widget is still open long
// after the action, it is closed, so that a faulty test fails instead of
// hanging; stuck() then tells.
class ModalDriver {
public:
    explicit ModalDriver(std::function<void(QWidget*)> action);
    ~ModalDriver();
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    int calls() const { return calls_; }
    bool stuck() const { return stuck_; }

private:
    void Tick();

    std::function<void(QWidget*)> action_;
    std::unique_ptr<QTimer> timer_;
    int calls_ = 0;
    int ticksAfterAction_ = 0;
    bool stuck_ = false;
};

// Records the addresses that QDesktopServices is asked to open for the
// "file" scheme while the object lives, instead of starting a handler.
class FileUrlRecorder : public QObject {
    Q_OBJECT

public:
    FileUrlRecorder();
    ~FileUrlRecorder() override;

    Q_INVOKABLE void Open(const QUrl& url) { urls.push_back(url); }
    std::vector<QUrl> urls;
};

// Makes folder the current working folder while the object lives.
class ScopedCurrentPath {
public:
    explicit ScopedCurrentPath(const std::filesystem::path& folder);
    ~ScopedCurrentPath();
    ScopedCurrentPath(const ScopedCurrentPath&) = delete;
    ScopedCurrentPath& operator=(const ScopedCurrentPath&) = delete;

private:
    std::filesystem::path previous_;
};

// Shows the window and waits until the window system has it exposed and active.
void ShowAndActivate(QWidget& window);

// What a drag of urls, sent to a window as the window system delivers it
// (enter, move, then drop at the centre of target), came to.
struct DropOutcome {
    bool enterAccepted = false;
    Qt::DropAction enterAction = Qt::IgnoreAction;
    bool dropAccepted = false;
    Qt::DropAction dropAction = Qt::IgnoreAction;
};
DropOutcome DragAndDrop(QWidget& window, QWidget& target, const QList<QUrl>& urls,
                        Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction,
                        Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// Types text into widget as a user does: plain ASCII key by key, anything
// else as a Japanese input method commits it.
void TypeText(QWidget* widget, const QString& text);

// file:// addresses of paths, in order.
QList<QUrl> FileUrls(const std::vector<std::filesystem::path>& paths);

}  // namespace mirado::test

// Readable Qt strings in test failures.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
