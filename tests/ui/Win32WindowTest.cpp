// The Windows program's window under Wine, with Qt's own Windows platform:
// what the window system asks of it, Explorer's drop and the error box.
#include <gtest/gtest.h>

#include <windows.h>

#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <optional>

#include "BatchRunner.h"
#include "ExplorerDrag.h"
#include "FileServices.h"
#include "Gate.h"
#include "SystemCalls.h"
#include "TempDir.h"
#include "UiTestSupport.h"
#include "frmMain.h"

namespace {

namespace fs = std::filesystem;
using mirado::test::ExplorerDrag;
using mirado::test::ListFolder;
using mirado::test::TempDir;
using mirado::test::WaitForBatch;
using mirado::test::WriteFile;
using Names = std::vector<std::string>;

// Holds the first copy before its first byte until the test opens the gate;
// Windows' own copy is left to do the work. A copy on the window's thread is
// not held but noted, and a copy that the window waits for goes on by itself
// after half a minute, also noted: the test could not open the gate then.
class HeldCopies : public mirado::SystemCalls {
public:
    mirado::test::Gate gate;
    HRESULT CopyFile2(const wchar_t* source, const wchar_t* target,
                      COPYFILE2_EXTENDED_PARAMETERS* parameters) override {
        if (QThread::currentThread() == qApp->thread())
            onWindowThread = true;
        else if (!first_.test_and_set() && !gate.WaitInsideFor(std::chrono::seconds(30)))
            openedByItself = true;
        return SystemCalls::CopyFile2(source, target, parameters);
    }
    std::atomic<bool> onWindowThread = false;
    std::atomic<bool> openedByItself = false;

private:
    std::atomic_flag first_;
};

TEST(Win32Window, IsFixedAndRefusesToBeMaximised) {
    frmMain window;
    mirado::test::ShowAndActivate(window);
    const HWND hwnd = reinterpret_cast<HWND>(window.winId());
    EXPECT_EQ(::GetWindowLongW(hwnd, GWL_STYLE) & WS_MAXIMIZEBOX, 0);
    EXPECT_NE(::GetWindowLongW(hwnd, GWL_STYLE) & WS_MINIMIZEBOX, 0);
    RECT before{}, after{};
    ::GetWindowRect(hwnd, &before);
    // Another program's request, and a double click on the caption.
    ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ::SendMessageW(hwnd, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(before.left + 40, before.top + 8));
    QCoreApplication::processEvents();
    ::GetWindowRect(hwnd, &after);
    EXPECT_FALSE(::IsZoomed(hwnd));
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(window.size(), QSize(312, 206));
}

// What Explorer's drop of files with Japanese names from a folder whose
// name has a space and Japanese characters comes to: copies under the new
// names, the sources as they were, and the answer COPY although the drag
// proposes a move (a move would make Explorer delete the sources). The
// drag ends before the first byte is copied: Explorer is not held by the
// copy. Two thousand more files come in the same drop, as one batch.
TEST(Win32Window, ExplorerDropIsCopiedAfterTheDragHasEnded) {
    TempDir dir;
    const fs::path folder = dir.Path() / fs::path(L"写真 フォルダー");
    std::vector<fs::path> files{folder / fs::path(L"ねこ.jpg"), folder / fs::path(L"いぬ.JPG"),
                                folder / fs::path(L"うさぎ (2).png")};
    Names expected{"イヌ.JPG", "ウサギ (2).png", "ネコ.jpg"};
    for (size_t i = 0; i < files.size(); ++i) WriteFile(files[i], "photo " + std::to_string(i));
    for (int i = 10000; i < 12000; ++i) {
        files.push_back(folder / fs::path(L"しゃしん" + std::to_wstring(i) + L".jpg"));
        WriteFile(files.back(), "");
        expected.push_back("シャシン" + std::to_string(i) + ".jpg");
    }
    std::sort(expected.begin(), expected.end());
    HeldCopies calls;
    mirado::FileServices fso(calls);
    mirado::test::RecordingMessages messages;
    mirado::test::RecordingDocuments documents;
    frmMain window(messages, documents, fso);
    window.findChild<QComboBox*>()->setCurrentIndex(5);  // hiragana to katakana
    mirado::test::ShowAndActivate(window);

    ExplorerDrag drag(*window.findChild<QWidget*>(QStringLiteral("fraDrag")), files);
    EXPECT_TRUE(drag.WaitForEnd()) << "the drag did not end while the first copy was held";
    EXPECT_FALSE(calls.onWindowThread) << "the window copied, and held the drag until the copy ended";
    EXPECT_FALSE(calls.openedByItself) << "the window waited for the copy, and held the drag";
    EXPECT_TRUE(calls.gate.Inside()) << "the drop started no copy";
    const mirado::test::DragOutcome outcome = drag.Outcome();
    EXPECT_EQ(outcome.result, DRAGDROP_S_DROP);
    EXPECT_EQ(outcome.effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(outcome.performed, -1);
    ASSERT_FALSE(outcome.feedback.empty());
    for (DWORD shown : outcome.feedback) EXPECT_EQ(shown, static_cast<DWORD>(DROPEFFECT_COPY));
    calls.gate.Open();
    WaitForBatch(window);
    EXPECT_EQ(ListFolder(folder / "_rename"), expected);
    EXPECT_EQ(ListFolder(folder).size(), files.size() + 1);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(mirado::test::ReadFile(files[i]), "photo " + std::to_string(i));
    EXPECT_TRUE(messages.texts.empty());
}

// A folder is reported in the error box, which Explorer does not wait for:
// the drag has ended while the box is still open.
TEST(Win32Window, ExplorerDropOfAFolderIsReportedAfterTheDragHasEnded) {
    TempDir dir;
    fs::create_directory(dir.Path() / fs::path(L"アルバム"));
    frmMain window;
    mirado::test::ShowAndActivate(window);
    std::optional<ExplorerDrag> drag;
    bool endedWhileShown = false;
    QStringList shown;
    {
        mirado::test::ModalDriver driver([&](QWidget* modal) {
            endedWhileShown = drag->WaitForEnd();
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            shown << box->text().left(5);
            box->accept();
        });
        drag.emplace(*window.findChild<QWidget*>(QStringLiteral("fraDrag")),
                     std::vector<fs::path>{dir.Path() / fs::path(L"アルバム")});
        EXPECT_TRUE(QTest::qWaitFor([&] { return !shown.isEmpty(); }, 60'000));
        WaitForBatch(window);
    }
    EXPECT_TRUE(endedWhileShown);
    EXPECT_EQ(shown, QStringList{QStringLiteral("1002:")});
    EXPECT_EQ(drag->Outcome().effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(ListFolder(dir.Path()), Names{"アルバム"});
}

// A file without a path, as Explorer offers a file inside a zip, is refused
// with the no-drop cursor and copies nothing.
TEST(Win32Window, ExplorerDropOfAFileWithoutAPathIsRefused) {
    TempDir dir;
    mirado::test::RecordingMessages messages;
    mirado::test::RecordingDocuments documents;
    frmMain window(messages, documents);
    mirado::test::ShowAndActivate(window);
    ExplorerDrag drag(*window.findChild<QWidget*>(QStringLiteral("fraDrag")),
                      {dir.Path() / fs::path(L"書類.zip") / fs::path(L"ねこ.txt")}, /*isVirtual=*/true);
    ASSERT_TRUE(drag.WaitForEnd());
    const mirado::test::DragOutcome outcome = drag.Outcome();
    EXPECT_EQ(outcome.effect, static_cast<DWORD>(DROPEFFECT_NONE));
    ASSERT_FALSE(outcome.feedback.empty());
    for (DWORD shown : outcome.feedback) EXPECT_EQ(shown, static_cast<DWORD>(DROPEFFECT_NONE));
    QTest::qWait(100);
    EXPECT_FALSE(window.findChild<mirado::ui::BatchRunner*>()->Busy());
    EXPECT_TRUE(fs::is_empty(dir.Path()));
    EXPECT_TRUE(messages.texts.empty());
}

}  // namespace
