#pragma once

#include <functional>
#include <ostream>
#include <vector>

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include "DocumentService.h"
#include "MessageBoxService.h"

class QWidget;

namespace mirado::test {

// An error box service that records the texts instead of showing a box.
class RecordingMessages : public MessageBoxService {
public:
    void ShowError(QWidget* /*owner*/, const QString& text) override { texts.push_back(text); }
    std::vector<QString> texts;
};

// A document service that records the paths it is asked to open.
class RecordingDocuments : public DocumentService {
public:
    Result Open(QWidget* /*owner*/, const QString& path, Fallback /*fallback*/) override {
        paths.push_back(path);
        return Result::Opened;
    }
    std::vector<QString> paths;
};

// Answers the first modal widget that appears while the object lives, from
// a timer, as a user answers a dialog that the code under test shows with
// exec(). The test fails when no modal widget came, or when it was still open
// long after the answer (it is then closed, so that the test does not hang).
class ModalDriver {
public:
    explicit ModalDriver(std::function<void(QWidget*)> action);
    ~ModalDriver();

private:
    std::function<void(QWidget*)> action_;
    QTimer timer_;
    int ticksAfterAnswer_ = -1;
    bool stuck_ = false;
};

// Shows the window and waits until the window system has it exposed and active.
void ShowAndActivate(QWidget& window);

// Drags urls onto the centre of target as the window system delivers a drag
// to the window (enter, move, drop), and returns the action the drop was
// answered with: Qt::IgnoreAction when it was refused.
Qt::DropAction DragAndDrop(QWidget& window, QWidget& target, const QList<QUrl>& urls,
                           Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction,
                           Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// Lets the event loop run until the batch that a drop on window started has
// ended and its events have been shown (a minute at most).
void WaitForBatch(QWidget& window);

}  // namespace mirado::test

// Readable Qt strings in test failures.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
