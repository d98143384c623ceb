#include "BatchRunner.h"

#include <utility>

#include <QCoreApplication>
#include <QEvent>
#include <QProgressBar>
#include <QWidget>
#include <QWindow>

namespace mirado::ui {
namespace {

// Between two turns of the event loop during a batch: one frame at 60 Hz,
// well inside the time within which a window manager wants its ping
// answered.
constexpr qint64 kTurnMs = 16;

// The turns handle all events, the user's input too, which the filter then
// swallows where it is meant for the window. Leaving input out of the turns
// instead would leave it queued, and Qt on X11 would deliver it, the close
// box among it, only once some later event wakes the event loop.
constexpr QEventLoop::ProcessEventsFlags kTurnEvents = QEventLoop::AllEvents;

bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::InputMethod:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
            return true;
        default:
            return false;
    }
}

}  // namespace

BatchRunner::BatchRunner(QWidget& window, QProgressBar& bar, Batch batch)
    : window_(window), bar_(bar), batch_(std::move(batch)) {}

BatchRunner::~BatchRunner() {
    if (busy_) QCoreApplication::instance()->removeEventFilter(this);
}

bool BatchRunner::Start(std::vector<std::u16string> files) {
    if (busy_) return false;
    busy_ = true;
    closeRequested_ = false;
    QCoreApplication::instance()->installEventFilter(this);
    QMetaObject::invokeMethod(
        this, [this, files = std::move(files)] { Run(files); }, Qt::QueuedConnection);
    return true;
}

void BatchRunner::Run(const std::vector<std::u16string>& files) {
    struct EndOfBatch {
        BatchRunner& runner;
        ~EndOfBatch() { runner.Finish(); }
    } end{*this};
    paintedWidth_ = FilledWidth();
    paintHeld_ = false;
    sinceTurn_.start();
    batch_(files);
}

void BatchRunner::Finish() {
    QCoreApplication::instance()->removeEventFilter(this);
    busy_ = false;
    PaintBarIfChanged();  // the bar as the batch leaves it
    if (closeRequested_) window_.close();
}

void BatchRunner::SetProgress(int value) {
    if (!busy_) {
        bar_.setValue(value);
        return;
    }
    // setValue() reports the value to assistive technology, and repaints
    // the bar at once each time the value has moved by a chunk of the
    // style's; the batch paints the bar itself, at its turns.
    holdingPaints_ = true;
    bar_.setValue(value);
    holdingPaints_ = false;
    if (sinceTurn_.hasExpired(kTurnMs)) Turn();
}

void BatchRunner::Turn() {
    PaintBarIfChanged();
    QCoreApplication::processEvents(kTurnEvents);
    sinceTurn_.restart();
}

void BatchRunner::PaintBarIfChanged() {
    const int width = FilledWidth();
    // A held-back repaint leaves the window waiting for one: it is always
    // carried out at the next chance.
    if (width == paintedWidth_ && !paintHeld_) return;
    paintedWidth_ = width;
    paintHeld_ = false;
    bar_.repaint();
}

int BatchRunner::FilledWidth() const {
    const qint64 range = qint64(bar_.maximum()) - bar_.minimum();
    if (range <= 0) return 0;
    return static_cast<int>((qint64(bar_.value()) - bar_.minimum()) * bar_.width() / range);
}

bool BatchRunner::InWindow(QObject* object) const {
    // The window system's input reaches the window's QWindow first.
    if (!object->isWidgetType()) return object == static_cast<QObject*>(window_.windowHandle());
    auto* widget = static_cast<QWidget*>(object);
    return widget == &window_ || window_.isAncestorOf(widget);
}

bool BatchRunner::eventFilter(QObject* receiver, QEvent* event) {
    const QEvent::Type type = event->type();
    // An immediate repaint ends in an update request sent to the window at
    // once; held back, the bar stays marked for painting until a turn.
    if (type == QEvent::UpdateRequest && holdingPaints_ && receiver == &window_) {
        paintHeld_ = true;
        return true;
    }
    if (type == QEvent::Close && receiver == &window_) {
        closeRequested_ = true;  // carried out by Finish()
        event->ignore();
        return true;
    }
    if (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) {
        if (!InWindow(receiver)) return false;
        event->ignore();  // answered as refused
        return true;
    }
    return IsUserInput(type) && InWindow(receiver);
}

}  // namespace mirado::ui
