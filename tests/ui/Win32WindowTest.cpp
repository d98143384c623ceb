// The Windows program's window under Wine, with Qt's own Windows platform:
// what the window system asks of it, the drop, the dialog, the error box,
// and a close while a copy is under way.
#include <gtest/gtest.h>

#include <windows.h>

#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "BatchRunner.h"
#include "FileServices.h"
#include "Gate.h"
#include "SystemCalls.h"
#include "TempDir.h"
#include "UiTestSupport.h"
#include "frmMain.h"

namespace {

namespace fs = std::filesystem;
using mirado::test::DragAndDrop;
using mirado::test::ListFolder;
using mirado::test::TempDir;
using mirado::test::WaitForBatch;
using mirado::test::WriteFile;
using Names = std::vector<std::string>;

QUrl Url(const fs::path& path) { return QUrl::fromLocalFile(QString::fromStdWString(path.wstring())); }

HWND Handle(QWidget& window) { return reinterpret_cast<HWND>(window.winId()); }

TEST(Win32Window, IsFixedAndRefusesToBeMaximised) {
    frmMain window;
    mirado::test::ShowAndActivate(window);
    const HWND hwnd = Handle(window);
    EXPECT_EQ(::GetWindowLongW(hwnd, GWL_STYLE) & WS_MAXIMIZEBOX, 0);
    EXPECT_NE(::GetWindowLongW(hwnd, GWL_STYLE) & WS_MINIMIZEBOX, 0);
    wchar_t caption[64] = {};
    ::GetWindowTextW(hwnd, caption, 64);
    EXPECT_STREQ(caption, L"Mirado Ver. 2.0.0");
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

// Files with Japanese names from a folder whose name has a space and
// Japanese characters; a drag that proposes a move is answered as a copy,
// and the sources stay.
TEST(Win32Window, DropCopiesUnderNewNamesAndAnswersCopy) {
    TempDir dir;
    const fs::path folder = dir.Path() / fs::path(L"写真 フォルダー");
    WriteFile(folder / fs::path(L"ねこ.jpg"), "cat");
    WriteFile(folder / fs::path(L"いぬ.JPG"), "dog");
    frmMain window;
    window.findChild<QComboBox*>()->setCurrentIndex(5);  // hiragana to katakana
    mirado::test::ShowAndActivate(window);
    EXPECT_EQ(DragAndDrop(window, *window.findChild<QWidget*>(QStringLiteral("lblDrag")),
                          {Url(folder / fs::path(L"ねこ.jpg")), Url(folder / fs::path(L"いぬ.JPG"))},
                          Qt::CopyAction | Qt::MoveAction, Qt::ShiftModifier),
              Qt::CopyAction);
    EXPECT_FALSE(fs::exists(folder / "_rename")) << "the batch ran before the drop was answered";
    WaitForBatch(window);
    EXPECT_EQ(ListFolder(folder / "_rename"), (Names{"イヌ.JPG", "ネコ.jpg"}));
    EXPECT_EQ(ListFolder(folder), (Names{"_rename", "いぬ.JPG", "ねこ.jpg"}));
}

// Type 8 asks for its texts first; a folder is refused with the critical box.
TEST(Win32Window, AsksForTheTextsAndReportsAFailureInABox) {
    TempDir dir;
    WriteFile(dir.Path() / "banana.txt", "b");
    fs::create_directory(dir.Path() / "folder");
    frmMain window;
    window.findChild<QComboBox*>()->setCurrentIndex(8);
    mirado::test::ShowAndActivate(window);
    QWidget* frame = window.findChild<QWidget*>(QStringLiteral("fraDrag"));
    {
        mirado::test::ModalDriver driver([](QWidget* dialog) {
            QTest::keyClicks(dialog->findChild<QWidget*>(QStringLiteral("txtFind")), QStringLiteral("a"));
            QTest::keyClicks(dialog->findChild<QWidget*>(QStringLiteral("txtReplace")), QStringLiteral("o"));
            QTest::keyClick(dialog->findChild<QWidget*>(QStringLiteral("txtFind")), Qt::Key_Return);
        });
        DragAndDrop(window, *frame, {Url(dir.Path() / "banana.txt")});
        WaitForBatch(window);
    }
    EXPECT_EQ(ListFolder(dir.Path() / "_rename"), Names{"bonono.txt"});
    QStringList seen;
    {
        mirado::test::ModalDriver driver([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            seen << box->windowTitle() << box->text().left(5);
            EXPECT_EQ(box->icon(), QMessageBox::Critical);
            box->accept();
        });
        window.findChild<QComboBox*>()->setCurrentIndex(0);
        DragAndDrop(window, *frame, {Url(dir.Path() / "folder")});
        WaitForBatch(window);
    }
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Mirado"), QStringLiteral("1002:")}));
}

// Holds one copy until the test opens the gate; Windows' own copy is left
// to do the work.
class HeldCopies : public mirado::SystemCalls {
public:
    mirado::test::Gate gate;
    int copies = 0;
    BOOL CopyFileExW(const wchar_t* source, const wchar_t* target, LPPROGRESS_ROUTINE progress, void* context,
                     BOOL* cancel, DWORD flags) override {
        if (++copies == 2) gate.WaitInside();
        return SystemCalls::CopyFileExW(source, target, progress, context, cancel, flags);
    }
};

// WM_CLOSE during a copy stops the batch: that copy goes, the finished one
// stays, no box appears, and the window closes once the batch has ended.
TEST(Win32Window, WmCloseDuringACopyStopsTheBatch) {
    TempDir dir;
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) WriteFile(dir.Path() / name, name);
    HeldCopies calls;
    mirado::FileServices fso(calls);
    mirado::test::RecordingMessages messages;
    mirado::test::RecordingDocuments documents;
    frmMain window(messages, documents, fso);
    mirado::test::ShowAndActivate(window);
    DragAndDrop(window, *window.findChild<QWidget*>(QStringLiteral("fraDrag")),
                {Url(dir.Path() / "a.txt"), Url(dir.Path() / "b.txt"), Url(dir.Path() / "c.txt")});
    while (!calls.gate.Inside()) QTest::qWait(1);
    ::SendMessageW(Handle(window), WM_CLOSE, 0, 0);
    // Qt hands the close to the window from its event loop.
    auto* runner = window.findChild<mirado::ui::BatchRunner*>();
    EXPECT_TRUE(QTest::qWaitFor([&] { return runner->StopRequested(); }, 10000));
    EXPECT_TRUE(window.isVisible()) << "held until the batch ends";
    calls.gate.Open();
    WaitForBatch(window);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(window.findChild<QProgressBar*>()->value(), 0);
    EXPECT_EQ(ListFolder(dir.Path() / "_rename"), Names{"A.txt"});
}

}  // namespace
