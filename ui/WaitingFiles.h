#pragma once

#include <string>
#include <vector>

#include <QObject>
#include <QString>

class QLabel;
class QWidget;

namespace mirado::ui {

class DropFrame;

// The files the program was started with, waiting in the window until the
// user starts their batch (Enter on the closed type list or on the frame, a
// double-click on the frame) or forgets them (Esc). Nothing is copied
// before. While they wait, the frame's two lines say so in short, and the
// frame's description, and the list's (which has the focus when the window
// opens), say it in full.
class WaitingFiles : public QObject {
    Q_OBJECT

public:
    WaitingFiles(DropFrame& frame, QLabel& firstLine, QLabel& secondLine, QWidget& list, QObject* parent = nullptr);

    bool Waiting() const { return !paths_.empty(); }

    // The paths wait, and that is told; none change nothing.
    void Hold(std::vector<std::u16string> paths);
    // The waiting files go to started(); nothing when none wait.
    void Start();
    // The waiting files are forgotten, and the frame says so.
    void Forget();
    // The waiting files are forgotten without a word: a drop or a paste
    // has started a batch of its own.
    void Release();

signals:
    void started(const std::vector<std::u16string>& paths);
    // What waits, for what tells screen readers beyond the descriptions.
    void told(const QString& text);

private:
    void Restore();

    DropFrame& frame_;
    QLabel& firstLine_;
    QLabel& secondLine_;
    QWidget& list_;
    std::vector<std::u16string> paths_;
    // The texts that the waiting ones stand in for.
    QString first_, second_, name_, instruction_, listDescription_;
};

}  // namespace mirado::ui
