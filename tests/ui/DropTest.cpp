#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <csignal>
#include <memory>
#include <algorithm>
#include <thread>

#include "BatchRunner.h"
#include "FaultySystemCalls.h"
#include "FileServices.h"
#include "Gate.h"
#include "TempDir.h"
#include "TerminationSignals.h"
#include "UiTestSupport.h"
#include "frmMain.h"

namespace {

namespace fs = std::filesystem;
using mirado::test::DragAndDrop;
using mirado::test::ModalDriver;
using mirado::test::WaitForBatch;
using mirado::test::WriteFile;
using Names = std::vector<std::string>;
using Call = mirado::test::FaultySystemCalls::Call;

// "name=contents" of every file in folder, by name.
Names Contents(const fs::path& folder) {
    Names files;
    for (const std::string& name : mirado::test::ListFolder(folder))
        files.push_back(name + "=" + mirado::test::ReadFile(folder / name));
    return files;
}

QUrl Url(const fs::path& path) { return QUrl::fromLocalFile(QString::fromStdString(path.string())); }

// text with %1 standing for folder.
QString In(const fs::path& folder, QString text) {
    return text.replace(QStringLiteral("%1"), QString::fromStdString(folder.string()));
}

// A shown main window of the given type whose error boxes and opened
// documents are recorded; its files are those of fso, else the real ones.
struct ShownWindow {
    mirado::test::RecordingMessages messages;
    mirado::test::RecordingDocuments documents;
    frmMain window;
    QProgressBar* prgBar = window.findChild<QProgressBar*>();
    QWidget* fraDrag = window.findChild<QWidget*>(QStringLiteral("fraDrag"));
    QWidget* lblDrag = window.findChild<QWidget*>(QStringLiteral("lblDrag"));  // inside the frame
    explicit ShownWindow(int type) : window(messages, documents) { Show(type); }
    ShownWindow(int type, mirado::FileServices& fso) : window(messages, documents, fso) { Show(type); }
    void Show(int type) {
        window.findChild<QComboBox*>()->setCurrentIndex(type);
        mirado::test::ShowAndActivate(window);
    }
};

// What the drop frame tells assistive technology before its instruction,
// which is the description's last line.
QString Said(QWidget& frame) {
    return QAccessible::queryAccessibleInterface(&frame)->text(QAccessible::Description).section(u'\n', 0, -2);
}

const QString kCopiedHere = QStringLiteral("1 個のファイルを「%1/_rename」にコピーしました。");
const QString kNothingToPaste =
    QStringLiteral("クリップボードにファイルがありません。ファイル マネージャーでファイルをコピーしてから貼り付けてください。");

// The clipboard's formats with their data.
QStringList Held() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QStringList held;
    for (const QString& format : data->formats()) held << format << QString::fromLatin1(data->data(format).toHex());
    return held;
}

// Puts data on the clipboard while the object lives, and tells whether it
// is there as it was put.
struct Clipboard {
    explicit Clipboard(QMimeData* data) { QGuiApplication::clipboard()->setMimeData(data), put = Held(); }
    ~Clipboard() { QGuiApplication::clipboard()->clear(); }
    bool Unchanged() const { return Held() == put; }
    QStringList put;
};

QMimeData* Urls(const QList<QUrl>& urls) {
    auto* data = new QMimeData;
    data->setUrls(urls);
    return data;
}

// Names in the folder, or addresses with %1 for the folder's path, as a file
// manager hands them over.
std::function<QMimeData*(const fs::path&)> Addresses(QStringList entries) {
    return [=](const fs::path& folder) {
        QList<QUrl> urls;
        for (const QString& entry : entries)
            urls << (entry.contains(QStringLiteral("://")) ? QUrl(In(folder, entry))
                                                            : Url(folder / entry.toStdString()));
        return Urls(urls);
    };
}

// The GNOME form of copied (first "copy") or cut (first "cut") files, with
// the files' addresses as they stand after "file://%1/".
std::function<QMimeData*(const fs::path&)> GnomeFiles(const char* first, std::vector<const char*> names) {
    return [=](const fs::path& folder) {
        QByteArray text(first);
        for (const char* name : names) text += "\nfile://" + QByteArray::fromStdString(folder.string()) + "/" + name;
        auto* data = new QMimeData;
        data->setData(QStringLiteral("x-special/gnome-copied-files"), text + "\n");
        return data;
    };
}

constexpr Qt::DropActions kAny = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

struct HandRow {
    const char* name;
    Names files;                                      // created first, each holding its own name
    std::function<QMimeData*(const fs::path&)> data;  // dropped, or put on the clipboard
    QKeyCombination paste;                            // pressed on the frame; none for a drop
    Names copies;                                     // Contents() of _rename afterwards
    QString message;  // the one error box, %1 for the folder's path; none when empty
    QString said;     // to assistive technology afterwards, %1 for the folder's path
    Qt::DropActions actions = kAny;  // the drop's
    Qt::KeyboardModifiers modifiers = {};
    Qt::DropAction answer = Qt::CopyAction;
};
void PrintTo(const HandRow& row, std::ostream* os) { *os << row.name; }

class HandOver : public ::testing::TestWithParam<HandRow> {};

// Files dropped, or copied or cut in a file manager and pasted with the
// paste key on the focused frame, run the batch in their order. The sources
// stay, and so does the clipboard, also after a cut. A clipboard without
// files takes nothing, and the frame, which keeps the focus, says why.
TEST_P(HandOver, RunsTheBatch) {
    const HandRow& row = GetParam();
    mirado::test::TempDir dir;
    for (const std::string& file : row.files) WriteFile(dir.Path() / file, file);
    ShownWindow w(0);
    if (row.paste == QKeyCombination()) {
        const std::unique_ptr<QMimeData> data(row.data(dir.Path()));
        EXPECT_EQ(DragAndDrop(w.window, *w.lblDrag, data->urls(), row.actions, row.modifiers), row.answer);
        EXPECT_FALSE(fs::exists(dir.Path() / "_rename")) << "the batch ran before the drop was answered";
        WaitForBatch(w.window);
        EXPECT_EQ(w.prgBar->accessibleDescription(), In(dir.Path(), row.said));
    } else {
        Clipboard clipboard(row.data(dir.Path()));
        w.fraDrag->setFocus();
        QTest::keyClick(w.fraDrag, row.paste.key(), row.paste.keyboardModifiers());
        WaitForBatch(w.window);
        EXPECT_TRUE(clipboard.Unchanged());
        EXPECT_TRUE(w.fraDrag->hasFocus());
    }
    EXPECT_EQ(Contents(dir.Path() / "_rename"), row.copies);
    EXPECT_EQ(fs::exists(dir.Path() / "_rename"), !row.copies.empty());
    for (const std::string& file : row.files) EXPECT_TRUE(fs::exists(dir.Path() / file)) << file;
    EXPECT_EQ(w.messages.texts,
              row.message.isEmpty() ? std::vector<QString>{} : std::vector<QString>{In(dir.Path(), row.message)});
    EXPECT_EQ(w.prgBar->value(), 0);
    EXPECT_EQ(Said(*w.fraDrag), In(dir.Path(), row.said));
}

constexpr QKeyCombination kCtrlV = Qt::CTRL | Qt::Key_V;
constexpr QKeyCombination kShiftInsert = Qt::SHIFT | Qt::Key_Insert;
const QString kTwoCopied = QStringLiteral("2 個のファイルを「%1/_rename」にコピーしました。");
const QString kNotLocal = QStringLiteral("」は、このコンピューターにあるファイルの完全なパスではないため、処理できません。");
const QString kFolderRefused = QStringLiteral("1002:「%1/folder」は通常のファイルではないため、処理できません。");

INSTANTIATE_TEST_SUITE_P(
    DropsAndPastes, HandOver,
    ::testing::Values(
        HandRow{"ProposedMoveIsCopiedInItsOrder", {"b.txt", "B.txt"}, Addresses({"B.txt", "b.txt"}), {},
                {"B.txt=B.txt", "B（1）.txt=b.txt"}, {}, kTwoCopied, Qt::CopyAction | Qt::MoveAction,
                Qt::ShiftModifier},
        HandRow{"DropFromTwoFolders", {"a.txt", "sub/b.txt"}, Addresses({"a.txt", "sub/b.txt"}), {}, {"A.txt=a.txt"},
                {}, QStringLiteral("2 個のファイルを 2 か所の「_rename」フォルダーにコピーしました。")},
        HandRow{"MoveOnlyIsRefused", {"a.txt"}, Addresses({"a.txt"}), {}, {}, {}, {}, Qt::MoveAction, {},
                Qt::IgnoreAction},
        HandRow{"LocalhostAddress", {"a.txt"}, Addresses({"file://localhost%1/a.txt"}), {}, {"A.txt=a.txt"}, {},
                kCopiedHere},
        HandRow{"OtherComputersFile", {"a.txt"}, Addresses({"file://otherhost%1/a.txt"}), {}, {},
                QStringLiteral("1004:「file://otherhost%1/a.txt") + kNotLocal, {}},
        HandRow{"PasteGnomeCopyInItsOrder", {"b.txt", "B.txt", "\x83\x65.txt"},
                GnomeFiles("copy", {"B.txt", "b.txt", "%83e.txt"}), kCtrlV,
                {"B.txt=B.txt", "B（1）.txt=b.txt", "\x83\x65.txt=\x83\x65.txt"}, {},
                QStringLiteral("3 個のファイルを「%1/_rename」にコピーしました。")},
        HandRow{"PasteGnomeCut", {"a.txt"}, GnomeFiles("cut", {"a.txt"}), kShiftInsert, {"A.txt=a.txt"}, {},
                kCopiedHere},
        HandRow{"PasteExplorerCutInItsOrder", {"b.txt", "B.txt"},
                [](const fs::path& f) {
                    QMimeData* data = Urls({Url(f / "B.txt"), Url(f / "b.txt")});
                    data->setData(QStringLiteral("application/x-qt-windows-mime;value=\"Preferred DropEffect\""),
                                  QByteArray("\x02\0\0\0", 4));  // DROPEFFECT_MOVE
                    return data;
                },
                kCtrlV, {"B.txt=B.txt", "B（1）.txt=b.txt"}, {}, kTwoCopied},
        HandRow{"PasteEmptyClipboard", {}, [](const fs::path&) { return new QMimeData; }, kCtrlV, {}, {},
                kNothingToPaste},
        HandRow{"PasteWebAddressOnly", {}, Addresses({"https://mirado.invalid/a.txt"}), kShiftInsert, {}, {},
                kNothingToPaste}),
    [](const ::testing::TestParamInfo<HandRow>& info) { return std::string(info.param.name); });

// While a batch runs, the window takes no input for itself (no paste, no
// F1) and no other drop, and the batch keeps the type it began with; the
// batch is held halfway until the window has been tried. The bar's values
// reach assistive technology, which reads them through the bar's value
// interface when the bar reports a change; they come once a frame, so
// which ones depends on the machine, but they only grow until the bar goes
// back to 0 at the end.
TEST(BusyWindow, TakesNoInputUntilTheBatchEnds) {
    mirado::test::TempDir dir;
    QList<QUrl> urls;
    for (int i = 1; i <= 20; ++i) {
        WriteFile(dir.Path() / ("f" + std::to_string(i) + ".txt"), "x");
        urls << Url(dir.Path() / ("f" + std::to_string(i) + ".txt"));
    }
    WriteFile(dir.Path() / "other.txt", "o");
    Clipboard clipboard(Urls({Url(dir.Path() / "other.txt")}));
    mirado::test::FaultySystemCalls calls;
    mirado::test::Gate halfway;
    calls.before = [&](Call call) {
        if (call == Call::Open && calls.Count(Call::Open) == 20) halfway.WaitInside();
    };
    mirado::FileServices fso(calls);
    ShownWindow w(0, fso);
    auto* cboType = w.window.findChild<QComboBox*>();
    Qt::DropAction second = Qt::CopyAction;
    int typeAfterKey = -1;
    QAccessibleValueInterface* value = QAccessible::queryAccessibleInterface(w.prgBar)->valueInterface();
    std::vector<int> reported;
    QObject::connect(w.prgBar, &QProgressBar::valueChanged, [&](int v) {
        reported.push_back(value->currentValue().toInt());
        if (v == 0 || typeAfterKey != -1) return;
        QTest::keyClick(cboType, Qt::Key_Down);  // would choose lower case
        typeAfterKey = cboType->currentIndex();
        cboType->setCurrentIndex(1);  // as assistive technology does it, without input
        QTest::mouseClick(w.window.findChild<QPushButton*>(QStringLiteral("cmdHelp")), Qt::LeftButton);
        second = DragAndDrop(w.window, *w.lblDrag, {Url(dir.Path() / "other.txt")});
        w.fraDrag->setFocus();
        QTest::keyClick(w.fraDrag, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(w.fraDrag, Qt::Key_F1);
        halfway.Open();
    });
    DragAndDrop(w.window, *w.lblDrag, urls);
    WaitForBatch(w.window);
    EXPECT_TRUE(halfway.Inside());
    ASSERT_GE(reported.size(), 2u);
    EXPECT_GT(reported.front(), 0);
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end() - 1));
    EXPECT_EQ(reported.back(), 0);
    EXPECT_EQ(value->maximumValue().toInt(), 20);
    EXPECT_EQ(second, Qt::IgnoreAction);
    EXPECT_EQ(typeAfterKey, 0);
    EXPECT_TRUE(w.documents.paths.empty());
    const Names copies = Contents(dir.Path() / "_rename");  // all in upper case, none of other.txt
    EXPECT_EQ(copies.size(), 20u);
    EXPECT_EQ(std::count_if(copies.begin(), copies.end(), [](const std::string& c) { return c[0] == 'F'; }), 20);
    EXPECT_EQ(w.prgBar->value(), 0);
    EXPECT_EQ(DragAndDrop(w.window, *w.lblDrag, {Url(dir.Path() / "other.txt")}), Qt::CopyAction) << "input again";
    WaitForBatch(w.window);
}

// A close during a batch, from the close box, a termination signal or the
// end of the session, stops it while a piece of a copy is under way: that
// copy goes, the finished one stays, no box appears, and the window closes
// once the batch has ended.
TEST(BusyWindow, ACloseStopsTheBatchAndLeavesNoPartialCopy) {
    for (const std::string way : {"close_box", "sigterm", "session_end"}) {
        SCOPED_TRACE(way);
        mirado::test::TempDir dir;
        WriteFile(dir.Path() / "a.txt", "a");
        WriteFile(dir.Path() / "big.bin", std::string(3 << 20, 'b'));
        WriteFile(dir.Path() / "c.txt", "c");
        mirado::test::FaultySystemCalls calls;
        calls.Fail(Call::Clone, EOPNOTSUPP);  // the data goes in pieces
        mirado::test::Gate naming, gate;
        calls.before = [&](Call call) {
            if (call == Call::LinkAt) naming.Open();  // a.txt is being named
            if (call == Call::CopyFileRange && calls.Count(Call::CopyFileRange) == 2) {
                naming.WaitInside();
                gate.WaitInside();
            }
        };
        mirado::FileServices fso(calls);
        ShownWindow w(0, fso);
        mirado::TerminationSignals termination;
        QObject::connect(&termination, &mirado::TerminationSignals::requested, &w.window, &frmMain::EndSession);
        DragAndDrop(w.window, *w.lblDrag,
                    {Url(dir.Path() / "a.txt"), Url(dir.Path() / "big.bin"), Url(dir.Path() / "c.txt")});
        while (!gate.Inside()) QTest::qWait(1);

        // The gate opens once the stop was asked for; the window's own
        // thread may be waiting for the batch by then.
        auto* runner = w.window.findChild<mirado::ui::BatchRunner*>();
        std::thread opener([&] {
            while (!runner->StopRequested()) std::this_thread::yield();
            gate.Open();
        });
        if (way == "close_box") {
            EXPECT_FALSE(w.window.close()) << "held until the batch ends";
        }
        if (way == "sigterm") ::raise(SIGTERM);
        if (way == "session_end") w.window.EndSession();
        WaitForBatch(w.window);
        opener.join();

        EXPECT_FALSE(w.window.isVisible());
        EXPECT_TRUE(w.messages.texts.empty());
        EXPECT_EQ(w.prgBar->value(), 0);
        EXPECT_EQ(Contents(dir.Path() / "_rename"), Names{"A.txt=a"}) << "no partial copy, nothing after the stop";
    }
}

// The error box of a failed batch, here of a paste, closed with Enter.
TEST(BatchFailure, ShowsACriticalBoxWithOneOKButton) {
    mirado::test::TempDir dir;
    fs::create_directory(dir.Path() / "folder");
    Clipboard clipboard(Urls({Url(dir.Path() / "folder")}));
    frmMain window;
    mirado::test::ShowAndActivate(window);
    auto* fraDrag = window.findChild<QWidget*>(QStringLiteral("fraDrag"));
    fraDrag->setFocus();
    QStringList seen;
    {
        ModalDriver driver([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->icon(), QMessageBox::Critical);
            EXPECT_EQ(box->parentWidget(), &window);
            seen << box->windowTitle() << box->text();
            for (QAbstractButton* button : box->buttons()) seen << button->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        QTest::keyClick(fraDrag, Qt::Key_V, Qt::ControlModifier);
        WaitForBatch(window);
    }
    EXPECT_EQ(Said(*fraDrag), QString());
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Mirado"), In(dir.Path(), kFolderRefused), QStringLiteral("OK")}));
    EXPECT_FALSE(fs::exists(dir.Path() / "_rename"));
}

void Click(QWidget* dialog, const char* button) {
    QTest::mouseClick(dialog->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
}
void Key(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }

// The whole job by keyboard: a type chosen with the arrow keys, Tab to the
// frame, the paste key and the find-and-replace dialog by keys. Type 8 asks
// for the texts first, in a dialog opened afresh each time: empty, fixed
// in size, the focus on the first box. The frame gets the focus back,
// where the result is heard, and F1 opens the help.
TEST(Keyboard, DoesTheWholeJobWithEveryAnswerToTheReplaceDialog) {
    struct Row {
        const char* name;
        QString find, replace;                 // typed into the boxes
        std::function<void(QWidget*)> answer;  // then given to the dialog
        Names copies;                          // Contents() of _rename afterwards
    };
    const QString a = QStringLiteral("a"), b = QStringLiteral("b");
    mirado::test::TempDir dir;
    WriteFile(dir.Path() / "banana.txt", "b");
    Clipboard clipboard(Urls({Url(dir.Path() / "banana.txt")}));
    ShownWindow w(0);
    for (int i = 0; i < 8; ++i) Key(Qt::Key_Down);
    Key(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), w.fraDrag);
    // The cancelled first: they leave the bar as it was.
    for (const Row& row : {Row{"CancelButton", a, b, [](QWidget* d) { Click(d, "cmdCancel"); }, {}},
                           Row{"Escape", a, b, [](QWidget*) { Key(Qt::Key_Escape); }, {}},
                           Row{"CloseBox", a, b, [](QWidget* d) { d->close(); }, {}},
                           Row{"OKButton", a, b, [](QWidget* d) { Click(d, "cmdOK"); }, {"bbnbnb.txt=b"}},
                           Row{"OKWithEmptyTexts", {}, {}, [](QWidget* d) { Click(d, "cmdOK"); },
                               {"banana.txt=b", "bbnbnb.txt=b"}},
                           Row{"EnterInFind", QStringLiteral("an"), {},
                               [](QWidget*) { Key(Qt::Key_Backtab), Key(Qt::Key_Return); },
                               {"ba.txt=b", "banana.txt=b", "bbnbnb.txt=b"}},
                           Row{"EnterInReplace", b, {}, [](QWidget*) { Key(Qt::Key_Return); },
                               {"anana.txt=b", "ba.txt=b", "banana.txt=b", "bbnbnb.txt=b"}}}) {
        SCOPED_TRACE(row.name);
        QStringList opened;  // the focus, the boxes, then where Tab leads
        {
            ModalDriver driver([&](QWidget* dialog) {
                opened << dialog->focusWidget()->objectName();
                (void)QTest::qWaitForWindowActive(dialog);
                EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
                for (const char* box : {"txtFind", "txtReplace"})
                    opened << dialog->findChild<QLineEdit*>(QString::fromLatin1(box))->text();
                for (int i = 0; i < 4; ++i) {
                    Key(Qt::Key_Tab);
                    opened << QApplication::focusWidget()->objectName();
                }
                QTest::keyClicks(QApplication::focusWidget(), row.find);
                Key(Qt::Key_Tab);
                QTest::keyClicks(QApplication::focusWidget(), row.replace);
                row.answer(dialog);
            });
            QTest::keyClick(w.fraDrag, Qt::Key_V, Qt::ControlModifier);
            WaitForBatch(w.window);
        }
        EXPECT_EQ(opened, (QStringList{QStringLiteral("txtFind"), QString(), QString(), QStringLiteral("txtReplace"),
                                       QStringLiteral("cmdOK"), QStringLiteral("cmdCancel"),
                                       QStringLiteral("txtFind")}));
        EXPECT_EQ(Contents(dir.Path() / "_rename"), row.copies);
        EXPECT_TRUE(w.messages.texts.empty());
        EXPECT_EQ(w.prgBar->maximum(), row.copies.empty() ? 100 : 1);
        EXPECT_EQ(w.window.focusWidget(), w.fraDrag);
    }
    EXPECT_EQ(Said(*w.fraDrag), In(dir.Path(), kCopiedHere));
    mirado::test::ShowAndActivate(w.window);  // as the desktop does once the dialog has gone
    QTest::keyClick(w.fraDrag, Qt::Key_F1);
    EXPECT_EQ(w.documents.paths, std::vector<QString>{QStringLiteral("Readme.html")});
}

}  // namespace
