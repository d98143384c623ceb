#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "BatchDriver.h"
#include "CoreErrors.h"
#include "ErrorText.h"
#include "TempDir.h"
#include "UiTestSupport.h"
#include "frmMain.h"

namespace {

namespace fs = std::filesystem;
using mirado::test::DragAndDrop;
using mirado::test::FileUrls;
using mirado::test::ListFolder;
using mirado::test::ModalDriver;
using mirado::test::ReadFile;
using mirado::test::RecordingMessages;
using mirado::test::TempDir;
using mirado::test::WriteFile;

using Names = std::vector<std::string>;

// A shown main window whose error boxes are recorded, and the parts of it
// that the drops touch.
struct Window {
    RecordingMessages messages;
    frmMain window{messages, mirado::DocumentService::Real()};
    QWidget* fraDrag = nullptr;
    QWidget* lblDrag = nullptr;
    QProgressBar* prgBar = nullptr;
    QComboBox* cboType = nullptr;

    explicit Window(int type = 0) {
        fraDrag = window.findChild<QWidget*>(QStringLiteral("fraDrag"));
        lblDrag = window.findChild<QWidget*>(QStringLiteral("lblDrag"));
        prgBar = window.findChild<QProgressBar*>(QStringLiteral("prgBar"));
        cboType = window.findChild<QComboBox*>(QStringLiteral("cboType"));
        cboType->setCurrentIndex(type);
        mirado::test::ShowAndActivate(window);
    }

    // Drops the files on the label inside the frame, as the file manager does.
    mirado::test::DropOutcome Drop(const std::vector<fs::path>& files) {
        return DragAndDrop(window, *lblDrag, FileUrls(files));
    }
};

QString Text(const std::u16string& text) { return QString::fromStdU16String(text); }

TEST(DropOnTheWindow, CopiesEveryFileUnderItsNewName) {
    TempDir dir;
    WriteFile(dir.Path() / "report.txt", "r");
    WriteFile(dir.Path() / "メモ.md", "m");
    Window w(0);
    const auto outcome = w.Drop({dir.Path() / "report.txt", dir.Path() / "メモ.md"});
    EXPECT_TRUE(outcome.enterAccepted);
    EXPECT_TRUE(outcome.dropAccepted);
    EXPECT_EQ(outcome.dropAction, Qt::CopyAction);
    EXPECT_EQ(ListFolder(dir.Path() / "_rename"), (Names{"REPORT.txt", "メモ.md"}));
    EXPECT_EQ(ReadFile(dir.Path() / "_rename" / "REPORT.txt"), "r");
    EXPECT_EQ(w.prgBar->value(), 0);
    EXPECT_TRUE(w.messages.texts.empty());
    // The sources stay as they were.
    EXPECT_EQ(ListFolder(dir.Path()), (Names{"_rename", "report.txt", "メモ.md"}));
}

TEST(DropOnTheWindow, AMoveIsAnsweredAsACopy) {
    TempDir dir;
    WriteFile(dir.Path() / "a.txt", "a");
    Window w(1);
    const auto outcome = DragAndDrop(w.window, *w.fraDrag, FileUrls({dir.Path() / "a.txt"}),
                                     Qt::CopyAction | Qt::MoveAction, Qt::ShiftModifier);
    EXPECT_EQ(outcome.dropAction, Qt::CopyAction);
    EXPECT_TRUE(fs::exists(dir.Path() / "a.txt"));
    EXPECT_EQ(ListFolder(dir.Path() / "_rename"), (Names{"a.txt"}));
}

TEST(DropOnTheWindow, OutsideTheFrameNothingHappens) {
    TempDir dir;
    WriteFile(dir.Path() / "a.txt", "a");
    Window w(0);
    auto* cmdHelp = w.window.findChild<QWidget*>(QStringLiteral("cmdHelp"));
    const auto outcome = DragAndDrop(w.window, *cmdHelp, FileUrls({dir.Path() / "a.txt"}));
    EXPECT_FALSE(outcome.dropAccepted);
    EXPECT_FALSE(fs::exists(dir.Path() / "_rename"));
}

TEST(DropOnTheWindow, KeepsTheOrderOfTheDrop) {
    TempDir dir;
    WriteFile(dir.Path() / "b.txt", "lower");
    WriteFile(dir.Path() / "B.txt", "upper");
    Window w(0);
    w.Drop({dir.Path() / "B.txt", dir.Path() / "b.txt"});
    EXPECT_EQ(ReadFile(dir.Path() / "_rename" / "B.txt"), "upper");
    EXPECT_EQ(ReadFile(dir.Path() / "_rename" / "B（1）.txt"), "lower");
}

TEST(DropOnTheWindow, UsesTheTypeSelectedAtTheDrop) {
    TempDir dir;
    WriteFile(dir.Path() / "ABC.txt", "x");
    Window w(0);
    w.cboType->setCurrentIndex(3);
    w.cboType->setCurrentIndex(1);
    w.Drop({dir.Path() / "ABC.txt"});
    EXPECT_EQ(ListFolder(dir.Path() / "_rename"), (Names{"abc.txt"}));
}

// Records the bar's value each time the bar is actually painted.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QProgressBar& bar) : bar_(bar) { bar.installEventFilter(this); }
    ~PaintRecorder() override { bar_.removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &bar_ && event->type() == QEvent::Paint) painted.push_back(bar_.value());
        return false;
    }
    std::vector<int> painted;

private:
    QProgressBar& bar_;
};

TEST(DropProgress, EveryValueIsPaintedWhileTheBatchRuns) {
    // With this many files one step moves the bar by less than a chunk, so
    // the bar would not repaint by itself for each of them.
    constexpr int kFiles = 60;
    TempDir dir;
    std::vector<fs::path> files;
    std::vector<int> expected;
    for (int i = 1; i <= kFiles; ++i) {
        const fs::path file = dir.Path() / (std::to_string(i) + ".txt");
        WriteFile(file, "x");
        files.push_back(file);
        expected.push_back(i);
    }
    expected.push_back(0);
    Window w(0);
    QCoreApplication::processEvents();
    PaintRecorder recorder(*w.prgBar);
    w.Drop(files);
    // Each value is painted before the next file is worked on, without a
    // return to the event loop in between.
    std::vector<int> distinct;
    for (int value : recorder.painted)
        if (distinct.empty() || distinct.back() != value) distinct.push_back(value);
    EXPECT_EQ(distinct, expected);
    EXPECT_EQ(w.prgBar->maximum(), kFiles);
    EXPECT_EQ(ListFolder(dir.Path() / "_rename").size(), static_cast<size_t>(kFiles));
}

TEST(DropFailure, AFolderGivesOneMessageAndStopsTheBatch) {
    TempDir dir;
    WriteFile(dir.Path() / "a.txt", "a");
    fs::create_directory(dir.Path() / "folder");
    WriteFile(dir.Path() / "z.txt", "z");
    Window w(0);
    w.Drop({dir.Path() / "a.txt", dir.Path() / "folder", dir.Path() / "z.txt"});
    ASSERT_EQ(w.messages.texts.size(), 1u);
    EXPECT_EQ(w.messages.texts.front(),
              Text(mirado::ErrorReportText(mirado::NotRegularFileError(dir.U16("folder")))));
    EXPECT_EQ(w.messages.owners.front(), &w.window);
    EXPECT_EQ(ListFolder(dir.Path() / "_rename"), (Names{"A.txt"}));
    EXPECT_EQ(w.prgBar->value(), 0);
}

TEST(DropFailure, AnAddressOfAnotherComputerIsRefused) {
    Window w(0);
    DragAndDrop(w.window, *w.lblDrag, {QUrl(QStringLiteral("https://example.com/a.txt"))});
    ASSERT_EQ(w.messages.texts.size(), 1u);
    EXPECT_EQ(w.messages.texts.front(),
              Text(mirado::ErrorReportText(mirado::NotLocalPathError(u"https://example.com/a.txt"))));
    EXPECT_EQ(w.prgBar->value(), 0);
}

// Type 8: the dialog's answer decides whether and how the batch runs.
enum class Answer { OK, EnterInFind, Escape, CloseBox };

struct ReplaceRow {
    const char* name;
    QString find;
    QString replace;
    Answer answer;
    Names copies;  // what the _rename folder then holds
};
void PrintTo(const ReplaceRow& row, std::ostream* os) { *os << row.name; }

class DropWithReplace : public ::testing::TestWithParam<ReplaceRow> {};

TEST_P(DropWithReplace, AsksForTheTextsFirst) {
    const ReplaceRow& row = GetParam();
    TempDir dir;
    WriteFile(dir.Path() / "banana.txt", "b");
    Window w(8);
    w.window.SetFind(u"earlier find");
    w.window.SetReplace(u"earlier replace");
    QCoreApplication::processEvents();
    PaintRecorder recorder(*w.prgBar);
    ModalDriver driver([&](QWidget* dialog) {
        auto* txtFind = dialog->findChild<QLineEdit*>(QStringLiteral("txtFind"));
        mirado::test::TypeText(txtFind, row.find);
        mirado::test::TypeText(dialog->findChild<QLineEdit*>(QStringLiteral("txtReplace")), row.replace);
        switch (row.answer) {
            case Answer::OK:
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
                break;
            case Answer::EnterInFind:
                QTest::keyClick(txtFind, Qt::Key_Return);
                break;
            case Answer::Escape:
                QTest::keyClick(txtFind, Qt::Key_Escape);
                break;
            case Answer::CloseBox:
                dialog->close();
                break;
        }
    });
    w.Drop({dir.Path() / "banana.txt"});
    EXPECT_EQ(driver.calls(), 1);
    EXPECT_FALSE(driver.stuck());
    EXPECT_EQ(ListFolder(dir.Path() / "_rename"), row.copies);
    EXPECT_TRUE(w.messages.texts.empty());
    const bool cancelled = row.answer == Answer::Escape || row.answer == Answer::CloseBox;
    if (cancelled) {
        // Nothing was touched: not the bar, not the texts of the last batch.
        EXPECT_FALSE(fs::exists(dir.Path() / "_rename"));
        EXPECT_TRUE(recorder.painted.empty());
        EXPECT_EQ(w.prgBar->maximum(), 100);
        EXPECT_EQ(w.window.GetFind(), u"earlier find");
        EXPECT_EQ(w.window.GetReplace(), u"earlier replace");
    } else {
        EXPECT_EQ(w.window.GetFind(), row.find.toStdU16String());
        EXPECT_EQ(w.window.GetReplace(), row.replace.toStdU16String());
        EXPECT_EQ(w.prgBar->value(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, DropWithReplace,
    ::testing::Values(ReplaceRow{"OK", QStringLiteral("a"), QStringLiteral("b"), Answer::OK, {"bbnbnb.txt"}},
                      ReplaceRow{"OKWithEmptyTexts", QString(), QString(), Answer::OK, {"banana.txt"}},
                      ReplaceRow{"EnterInFind", QStringLiteral("an"), QString(), Answer::EnterInFind, {"ba.txt"}},
                      ReplaceRow{"Escape", QStringLiteral("a"), QStringLiteral("b"), Answer::Escape, {}},
                      ReplaceRow{"CloseBox", QStringLiteral("a"), QStringLiteral("b"), Answer::CloseBox, {}}),
    [](const ::testing::TestParamInfo<ReplaceRow>& info) { return std::string(info.param.name); });

TEST(DropWithReplaceTwice, SecondDropOpensWithEmptyBoxes) {
    TempDir dir;
    WriteFile(dir.Path() / "aaa.txt", "a");
    Window w(8);
    {
        ModalDriver first([](QWidget* dialog) {
            mirado::test::TypeText(dialog->findChild<QLineEdit*>(QStringLiteral("txtFind")), QStringLiteral("aa"));
            mirado::test::TypeText(dialog->findChild<QLineEdit*>(QStringLiteral("txtReplace")), QStringLiteral("b"));
            QTest::keyClick(dialog->findChild<QLineEdit*>(QStringLiteral("txtFind")), Qt::Key_Return);
        });
        w.Drop({dir.Path() / "aaa.txt"});
    }
    QStringList boxes;
    ModalDriver second([&](QWidget* dialog) {
        boxes << dialog->findChild<QLineEdit*>(QStringLiteral("txtFind"))->text()
              << dialog->findChild<QLineEdit*>(QStringLiteral("txtReplace"))->text();
        mirado::test::TypeText(dialog->findChild<QLineEdit*>(QStringLiteral("txtFind")), QStringLiteral("a"));
        mirado::test::TypeText(dialog->findChild<QLineEdit*>(QStringLiteral("txtReplace")), QStringLiteral("c"));
        QTest::keyClick(dialog->findChild<QLineEdit*>(QStringLiteral("txtFind")), Qt::Key_Return);
    });
    w.Drop({dir.Path() / "aaa.txt"});
    EXPECT_EQ(boxes, (QStringList{QString(), QString()}));
    EXPECT_EQ(ListFolder(dir.Path() / "_rename"), (Names{"ba.txt", "ccc.txt"}));
    EXPECT_EQ(w.window.GetFind(), u"a");
    EXPECT_EQ(w.window.GetReplace(), u"c");
}

}  // namespace
