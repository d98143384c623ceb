#pragma once

#include <windows.h>

#include <ole2.h>

#include <filesystem>
#include <vector>

#include <QProcess>
#include <QTemporaryDir>

class QWidget;

namespace mirado::test {

// What the drag source saw of a drop: what DoDragDrop returned, the effect,
// the "Performed DropEffect" that the target set (-1: none) and the effect
// of each feedback (the cursor it asked for).
struct DragOutcome {
    HRESULT result = E_FAIL;
    DWORD effect = DROPEFFECT_NONE;
    long performed = -1;
    std::vector<DWORD> feedback;
};

// Drags files from another process onto the centre of target as Explorer
// does (mirado_explorer_drag): with CF_HDROP, "Shell IDList Array" and a
// preferred move, Shift held; or, when isVirtual, the first file's name as a
// file without a path ("FileContents"). The drag runs while the test goes on.
class ExplorerDrag {
public:
    ExplorerDrag(QWidget& target, const std::vector<std::filesystem::path>& paths, bool isVirtual = false);
    ~ExplorerDrag();

    // Lets the event loop run until the drag source has ended, at most
    // timeoutMs; whether it has.
    bool WaitForEnd(int timeoutMs = 60'000);
    DragOutcome Outcome();

private:
    QTemporaryDir work_;
    QProcess process_;
};

}  // namespace mirado::test
