#include "UiTestSupport.h"

#include <algorithm>

#include <QApplication>
#include <QInputMethodEvent>
#include <QDesktopServices>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace mirado::test {

namespace {
// About five seconds of 10 ms ticks before a modal widget is closed by force.
constexpr int kStuckTicks = 500;
}  // namespace

ModalDriver::ModalDriver(std::function<void(QWidget*)> action)
    : action_(std::move(action)), timer_(std::make_unique<QTimer>()) {
    timer_->setInterval(10);
    QObject::connect(timer_.get(), &QTimer::timeout, [this] { Tick(); });
    timer_->start();
}

ModalDriver::~ModalDriver() { timer_->stop(); }

void ModalDriver::Tick() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    if (calls_ == 0) {
        ++calls_;
        action_(modal);
        return;
    }
    if (++ticksAfterAction_ > kStuckTicks) {
        stuck_ = true;
        modal->close();
    }
}

FileUrlRecorder::FileUrlRecorder() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open"); }

FileUrlRecorder::~FileUrlRecorder() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

ScopedCurrentPath::ScopedCurrentPath(const std::filesystem::path& folder)
    : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
}

ScopedCurrentPath::~ScopedCurrentPath() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
}

void ShowAndActivate(QWidget& window) {
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    (void)QTest::qWaitForWindowExposed(&window);
    (void)QTest::qWaitForWindowActive(&window);
}

DropOutcome DragAndDrop(QWidget& window, QWidget& target, const QList<QUrl>& urls, Qt::DropActions actions,
                        Qt::KeyboardModifiers modifiers) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = target.mapTo(&window, target.rect().center());
    QWindow* handle = window.windowHandle();
    DropOutcome outcome;

    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(handle, &enter);
    outcome.enterAccepted = enter.isAccepted();
    outcome.enterAction = enter.dropAction();

    QDragMoveEvent move(at, actions, &data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(handle, &move);

    QDropEvent drop(QPointF(at), actions, &data, Qt::NoButton, modifiers);
    QCoreApplication::sendEvent(handle, &drop);
    outcome.dropAccepted = drop.isAccepted();
    outcome.dropAction = drop.dropAction();
    return outcome;
}

void TypeText(QWidget* widget, const QString& text) {
    const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0x20 && c.unicode() < 0x7f; });
    if (ascii) {
        QTest::keyClicks(widget, text);
        return;
    }
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QCoreApplication::sendEvent(widget, &commit);
}

QList<QUrl> FileUrls(const std::vector<std::filesystem::path>& paths) {
    QList<QUrl> urls;
    for (const auto& path : paths) urls.append(QUrl::fromLocalFile(QString::fromStdString(path.string())));
    return urls;
}

}  // namespace mirado::test
