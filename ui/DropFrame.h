#pragma once

#include <string>
#include <vector>

#include <QFrame>
#include <QList>
#include <QUrl>

class QDropEvent;

namespace mirado::ui {

// A bordered frame that takes files dropped from the file manager, over the
// whole frame including its child labels, and reports them as a list of
// addresses in the order the drop delivers them. It answers every drop as a
// copy, so that the file manager never removes the dropped files as after
// a move.
class DropFrame : public QFrame {
    Q_OBJECT

public:
    explicit DropFrame(QWidget* parent = nullptr);

signals:
    void filesDropped(const QList<QUrl>& urls);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

// The dropped addresses as the batch engine takes them: the local path of
// a file on this computer, and the full address text of anything else (which
// the engine then refuses with its own message), in the same order.
std::vector<std::u16string> DroppedPaths(const QList<QUrl>& urls);

}  // namespace mirado::ui
