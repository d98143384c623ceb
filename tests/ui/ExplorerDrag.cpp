#include "ExplorerDrag.h"

#include <fstream>
#include <sstream>

#include <QCoreApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace mirado::test {

namespace {

// The centre of target in screen pixels, as the drag source's pointer needs.
POINT ScreenCentre(QWidget& target) {
    QWidget* window = target.window();
    const qreal scale = window->windowHandle()->devicePixelRatio();
    const QPoint centre = target.mapTo(window, target.rect().center());
    POINT point{static_cast<LONG>(centre.x() * scale), static_cast<LONG>(centre.y() * scale)};
    ::ClientToScreen(reinterpret_cast<HWND>(window->winId()), &point);
    return point;
}

}  // namespace

ExplorerDrag::ExplorerDrag(QWidget& target, const std::vector<std::filesystem::path>& paths, bool isVirtual) {
    const QString list = work_.filePath(QStringLiteral("files.txt"));
    {
        std::ofstream out(std::filesystem::path(list.toStdWString()), std::ios::binary);
        for (const auto& path : paths) {
            const std::u8string name = path.u8string();
            out << std::string(name.begin(), name.end()) << '\n';
        }
    }
    const POINT point = ScreenCentre(target);
    QStringList arguments{QString::number(point.x), QString::number(point.y), list,
                          work_.filePath(QStringLiteral("outcome.txt"))};
    if (isVirtual) arguments << QStringLiteral("virtual");
    process_.start(QCoreApplication::applicationDirPath() + QStringLiteral("/mirado_explorer_drag.exe"), arguments);
}

ExplorerDrag::~ExplorerDrag() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished();
}

bool ExplorerDrag::WaitForEnd(int timeoutMs) {
    return QTest::qWaitFor([this] { return process_.state() == QProcess::NotRunning; }, timeoutMs);
}

DragOutcome ExplorerDrag::Outcome() {
    DragOutcome outcome;
    std::ifstream in(std::filesystem::path(work_.filePath(QStringLiteral("outcome.txt")).toStdWString()));
    std::string word;
    unsigned long result = 0;
    in >> word >> std::hex >> result >> std::dec >> word >> outcome.effect >> word >> outcome.performed >> word;
    if (!in) return DragOutcome{};  // the source ended before it wrote
    outcome.result = static_cast<HRESULT>(result);
    for (DWORD effect = 0; in >> effect;) outcome.feedback.push_back(effect);
    return outcome;
}

}  // namespace mirado::test
