#include "DropFrame.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDropEvent>
#include <QSysInfo>
#include <QMimeData>

#include "PathText.h"

namespace mirado::ui {
namespace {

// A file address's host is this computer when it is empty or names it.
bool IsThisComputer(const QString& host) {
    return host.isEmpty() || host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0 ||
           host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
}

std::u16string ToU16(const QString& text) { return text.toStdU16String(); }

// The path a file address names, with the bytes the address carries: a
// file name need not be UTF-8 (old disks give Shift_JIS names), and decoding
// it as text would change it into the name of another file or of none.
// Empty when the system cannot reach the file by a path.
std::u16string LocalPath(const QUrl& url) {
    if (!url.isLocalFile()) return {};
    const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    const QString host = IsThisComputer(url.host()) ? QString() : url.host();
    return PathOfFileAddress(ToU16(host), std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

// Qt shows a plain frame to screen readers as a border, which the Linux
// accessibility bus even reports as a top-level frame; the drop frame is a
// named group, read with its instruction text and its description.
QAccessibleInterface* AccessibleDropFrame(const QString& className, QObject* object) {
    if (className == QLatin1String(DropFrame::staticMetaObject.className()) && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Grouping);
    return nullptr;
}

// Accepts event as a copy when it carries at least one address and the
// source allows copying; ignores it otherwise. Returns whether it accepted.
bool AcceptAsCopy(QDropEvent& event) {
    const QMimeData* data = event.mimeData();
    if (data == nullptr || !data->hasUrls() || data->urls().isEmpty() ||
        !event.possibleActions().testFlag(Qt::CopyAction)) {
        event.ignore();
        return false;
    }
    event.setDropAction(Qt::CopyAction);
    event.accept();
    return true;
}

}  // namespace

DropFrame::DropFrame(QWidget* parent) : QFrame(parent) {
    QAccessible::installFactory(AccessibleDropFrame);  // installing it again changes nothing
    setFrameStyle(QFrame::Box | QFrame::Sunken);
    setLineWidth(1);
    setAcceptDrops(true);
}

void DropFrame::dragEnterEvent(QDragEnterEvent* event) { AcceptAsCopy(*event); }

void DropFrame::dragMoveEvent(QDragMoveEvent* event) { AcceptAsCopy(*event); }

void DropFrame::dropEvent(QDropEvent* event) {
    if (AcceptAsCopy(*event)) emit filesDropped(event->mimeData()->urls());
}

std::vector<std::u16string> DroppedPaths(const QList<QUrl>& urls) {
    std::vector<std::u16string> paths;
    paths.reserve(static_cast<size_t>(urls.size()));
    for (const QUrl& url : urls) {
        std::u16string path = LocalPath(url);
        paths.push_back(path.empty() ? ToU16(url.toString()) : std::move(path));
    }
    return paths;
}

}  // namespace mirado::ui
