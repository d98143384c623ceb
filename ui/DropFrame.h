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
//
// Without a mouse, the frame takes the keyboard focus and the paste key
// (Ctrl+V, Shift+Insert) stands for a drop of the files that the file
// manager copied or cut: they are reported in the same way. The clipboard
// is only read, so a cut never becomes a move.
//
// Screen readers hear the frame's instruction as its description, and a
// short status line before it (why a paste took nothing, how a batch ended).
//
// Enter and a double-click on the frame confirm (start the files that
// wait), Esc dismisses them.
class DropFrame : public QFrame {
    Q_OBJECT

public:
    explicit DropFrame(QWidget* parent = nullptr);

    // What the frame is for, the lasting part of its description.
    void SetInstruction(const QString& instruction);
    const QString& Instruction() const { return instruction_; }
    // A line put before the instruction and told to assistive technology at
    // once (told() too); empty takes the last one away.
    void SetStatus(const QString& status);

signals:
    void filesDropped(const QList<QUrl>& urls);
    void confirmed();
    void dismissed();
    // A status line, for what tells screen readers beyond the description.
    void told(const QString& text);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Describe();

    QString instruction_;
    QString status_;
};

// The dropped addresses as the batch engine takes them: the local path of
// a file on this computer, and the full address text of anything else (which
// the engine then refuses with its own message), in the same order.
std::vector<std::u16string> DroppedPaths(const QList<QUrl>& urls);

}  // namespace mirado::ui
