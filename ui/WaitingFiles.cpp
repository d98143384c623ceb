#include "WaitingFiles.h"

#include <utility>

#include <QLabel>

#include "DropFrame.h"

namespace mirado::ui {
namespace {

// Short enough for the frame's lines at every scale, in the widest face.
QString FirstLine(size_t count) { return QStringLiteral("%1 個のファイルが待っています").arg(count); }
QString SecondLine() { return QStringLiteral("種類を選んで Enter でコピー"); }

QString InFull(size_t count) {
    return QStringLiteral("%1 個のファイルが待っています。種類を選んで Enter キーを押すと、新しい名前で"
                          "「_rename」フォルダーにコピーします。Esc キーで取り消します。")
        .arg(count);
}

QString Forgotten(size_t count) {
    return QStringLiteral("待っていた %1 個のファイルを取り消しました。何もコピーしていません。").arg(count);
}

}  // namespace

WaitingFiles::WaitingFiles(DropFrame& frame, QLabel& firstLine, QLabel& secondLine, QWidget& list, QObject* parent)
    : QObject(parent), frame_(frame), firstLine_(firstLine), secondLine_(secondLine), list_(list) {}

void WaitingFiles::Hold(std::vector<std::u16string> paths) {
    if (paths.empty()) return;
    if (!Waiting()) {
        first_ = firstLine_.text();
        second_ = secondLine_.text();
        name_ = frame_.accessibleName();
        instruction_ = frame_.Instruction();
        listDescription_ = list_.accessibleDescription();
    }
    paths_ = std::move(paths);
    const QString full = InFull(paths_.size());
    firstLine_.setText(FirstLine(paths_.size()));
    secondLine_.setText(SecondLine());
    frame_.setAccessibleName(firstLine_.text());
    frame_.SetInstruction(full);
    list_.setAccessibleDescription(full);
    emit told(full);
}

void WaitingFiles::Start() {
    if (!Waiting()) return;
    std::vector<std::u16string> paths = std::exchange(paths_, {});
    Restore();
    frame_.SetStatus({});
    emit started(paths);
}

void WaitingFiles::Forget() {
    if (!Waiting()) return;
    const size_t count = std::exchange(paths_, {}).size();
    Restore();
    frame_.SetStatus(Forgotten(count));
}

void WaitingFiles::Release() {
    if (!Waiting()) return;
    paths_.clear();
    Restore();
}

void WaitingFiles::Restore() {
    firstLine_.setText(first_);
    secondLine_.setText(second_);
    frame_.setAccessibleName(name_);
    frame_.SetInstruction(instruction_);
    list_.setAccessibleDescription(listDescription_);
}

}  // namespace mirado::ui
