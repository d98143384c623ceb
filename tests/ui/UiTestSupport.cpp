#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include "BatchRunner.h"

namespace mirado::test {

ModalDriver::ModalDriver(std::function<void(QWidget*)> action) : action_(std::move(action)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        if (ticksAfterAnswer_ < 0) {
            ticksAfterAnswer_ = 0;
            action_(modal);
        } else if (++ticksAfterAnswer_ == 500) {  // about five seconds
            stuck_ = true;
            modal->close();
        }
    });
    timer_.start(10);
}

ModalDriver::~ModalDriver() {
    EXPECT_GE(ticksAfterAnswer_, 0) << "no modal window appeared";
    EXPECT_FALSE(stuck_) << "the modal window stayed open after the answer";
}

void ShowAndActivate(QWidget& window) {
    window.show();
    // Activated once the window system has it: Qt's Windows platform under
    // Wine fails on a request to activate a window that is not yet shown.
    (void)QTest::qWaitForWindowExposed(&window);
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    (void)QTest::qWaitForWindowActive(&window);
}

Qt::DropAction DragAndDrop(QWidget& window, QWidget& target, const QList<QUrl>& urls, Qt::DropActions actions,
                           Qt::KeyboardModifiers modifiers) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = target.mapTo(&window, target.rect().center());
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(window.windowHandle(), &enter);
    QDragMoveEvent move(at, actions, &data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(window.windowHandle(), &move);
    QDropEvent drop(QPointF(at), actions, &data, Qt::NoButton, modifiers);
    QCoreApplication::sendEvent(window.windowHandle(), &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

void WaitForBatch(QWidget& window) {
    auto* runner = window.findChild<ui::BatchRunner*>();
    ASSERT_NE(runner, nullptr);
    QElapsedTimer waited;
    waited.start();
    while (runner->Busy() && !waited.hasExpired(60'000)) QTest::qWait(1);
    EXPECT_FALSE(runner->Busy()) << "the batch did not end";
}

}  // namespace mirado::test
