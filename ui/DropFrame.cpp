#include "DropFrame.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDropEvent>
#include <QSysInfo>
#include <QMimeData>

#include "Utf.h"

namespace mirado::ui {
namespace {

// A file address names a file on this computer when it has no host, or the
// host is this computer by name.
bool IsOnThisComputer(const QUrl& url) {
    if (!url.isLocalFile()) return false;
    const QString host = url.host();
    return host.isEmpty() || host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0 ||
           host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
}

std::u16string ToU16(const QString& text) { return text.toStdU16String(); }

// The local path with the bytes the address carries: a file name need not
// be UTF-8 (old disks give Shift_JIS names), and decoding it as text would
// change it into the name of another file or of none.
std::u16string LocalPath(const QUrl& url) {
    const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    return FromUtf8(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

// Qt shows a plain frame to screen readers as a border, which the Linux
// accessibility bus even reports as a top-level frame; the drop frame is a
// named group, read with its instruction text and its description.
QAccessibleInterface* AccessibleDropFrame(const QString& className, QObject* object) {
    if (className == QLatin1String(DropFrame::staticMetaObject.className()) && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Grouping);
    return nullptr;
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

std::vector<std::u16string> DroppedPaths(const QList<QUrl>& urls) {
    std::vector<std::u16string> paths;
    paths.reserve(static_cast<size_t>(urls.size()));
    for (const QUrl& url : urls) {
        if (IsOnThisComputer(url)) {
            paths.push_back(LocalPath(url));
        } else {
            paths.push_back(ToU16(url.toString()));
        }
    }
    return paths;
}

}  // namespace mirado::ui
