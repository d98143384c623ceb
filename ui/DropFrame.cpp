#include "DropFrame.h"

#include <algorithm>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QSysInfo>

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

// The files that a file manager put on the clipboard with Copy or Cut, in
// its order: as addresses (text/uri-list; Qt gives Windows' file lists in
// this form too), or in GNOME's form, "copy" or "cut" and then an address a
// line. Empty when none of them is a file. Whether the files were cut
// ("cut", Windows' "Preferred DropEffect", KDE's cut selection) is not
// looked at: they are copied like any others and stay where they are.
QList<QUrl> CopiedFiles(const QMimeData* data) {
    if (data == nullptr) return {};
    QList<QUrl> urls = data->urls();
    if (urls.isEmpty()) {
        const QList<QByteArray> lines = data->data(QStringLiteral("x-special/gnome-copied-files")).split('\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QByteArray line = lines[i].trimmed();
            if (line.isEmpty() || (i == 0 && (line == "copy" || line == "cut"))) continue;
            urls << QUrl::fromEncoded(line);
        }
    }
    const bool anyFile = std::any_of(urls.cbegin(), urls.cend(), [](const QUrl& url) { return url.isLocalFile(); });
    return anyFile ? urls : QList<QUrl>{};
}

QString NothingToPaste() {
    return QStringLiteral("クリップボードにファイルがありません。ファイル マネージャーでファイルをコピーしてから貼り付けてください。");
}

}  // namespace

DropFrame::DropFrame(QWidget* parent) : QFrame(parent) {
    QAccessible::installFactory(AccessibleDropFrame);  // installing it again changes nothing
    setFrameStyle(QFrame::Box | QFrame::Sunken);
    setLineWidth(1);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);  // the paste key's way in
}

void DropFrame::SetInstruction(const QString& instruction) {
    instruction_ = instruction;
    Describe();
}

void DropFrame::SetStatus(const QString& status) {
    status_ = status;
    Describe();
    if (!status.isEmpty()) emit told(status);
}

void DropFrame::Describe() {
    // Qt tells assistive technology of every new description, also of the
    // same text again (a second paste of nothing): screen readers speak a
    // changed description, and best on the focused object, which the frame
    // is after a paste.
    setAccessibleDescription(status_.isEmpty() ? instruction_ : status_ + u'\n' + instruction_);
}

void DropFrame::dragEnterEvent(QDragEnterEvent* event) { AcceptAsCopy(*event); }

void DropFrame::dragMoveEvent(QDragMoveEvent* event) { AcceptAsCopy(*event); }

void DropFrame::dropEvent(QDropEvent* event) {
    if (AcceptAsCopy(*event)) emit filesDropped(event->mimeData()->urls());
}

void DropFrame::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit confirmed();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        emit dismissed();
        return;
    }
    if (!event->matches(QKeySequence::Paste)) {
        QFrame::keyPressEvent(event);
        return;
    }
    const QList<QUrl> files = CopiedFiles(QGuiApplication::clipboard()->mimeData());
    if (files.isEmpty())
        SetStatus(NothingToPaste());
    else
        emit filesDropped(files);
}

void DropFrame::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit confirmed();
    else
        QFrame::mouseDoubleClickEvent(event);
}

void DropFrame::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (!hasFocus()) return;
    // The style decides how, and whether only after a move by keyboard.
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.backgroundColor = palette().color(QPalette::Window);
    option.rect = contentsRect().adjusted(2, 2, -2, -2);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
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
