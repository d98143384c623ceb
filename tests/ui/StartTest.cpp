// The program started with files: read from its arguments as main() reads
// them, they wait in the window until the user starts them, as a drop of
// them with the chosen type, or forgets them.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMimeData>
#include <QProcess>
#include <QTest>

#include "BatchRunner.h"
#include "CommandLine.h"
#include "DropFrame.h"
#include "StartArguments.h"
#include "TempDir.h"
#include "UiTestSupport.h"
#include "WaitingFiles.h"
#include "frmMain.h"

namespace {

namespace fs = std::filesystem;
using mirado::test::WriteFile;
using Names = std::vector<std::string>;

Names Contents(const fs::path& folder) {
    Names files;
    for (const std::string& name : mirado::test::ListFolder(folder))
        files.push_back(name + "=" + mirado::test::ReadFile(folder / name));
    return files;
}

// Makes folder the working folder while the object lives.
struct WorkingFolder {
    fs::path previous = fs::current_path();
    explicit WorkingFolder(const fs::path& folder) { fs::current_path(folder); }
    ~WorkingFolder() { fs::current_path(previous); }
};

// The files of a start with these arguments, as main() reads them.
std::vector<std::u16string> StartedWith(std::vector<std::string> arguments) {
    std::vector<char*> argv{const_cast<char*>("mirado")};
    for (std::string& argument : arguments) argv.push_back(argument.data());
    const mirado::ui::CommandLine command(mirado::StartArguments(static_cast<int>(argv.size()), argv.data()));
    EXPECT_EQ(command.Asks(), mirado::ui::CommandLine::Request::Open);
    return command.Files();
}

// A main window started with files; what it tells screen readers at once
// (on Windows as a notification) is recorded.
struct StartedWindow {
    mirado::test::RecordingMessages messages;
    mirado::test::RecordingDocuments documents;
    frmMain window{messages, documents};
    QComboBox* cboType = window.findChild<QComboBox*>();
    auto* Frame() { return window.findChild<mirado::ui::DropFrame*>(); }
    QLabel* Line(const char* name) { return window.findChild<QLabel*>(QString::fromLatin1(name)); }
    QStringList told;
    StartedWindow(int type, std::vector<std::u16string> files) {
        cboType->setCurrentIndex(type);
        QObject::connect(Frame(), &mirado::ui::DropFrame::told, [this](const QString& text) { told << text; });
        QObject::connect(window.findChild<mirado::ui::WaitingFiles*>(), &mirado::ui::WaitingFiles::told,
                         [this](const QString& text) { told << text; });
        mirado::test::ShowAndActivate(window);
        window.HoldFiles(std::move(files));
    }
    QString Description() { return Frame()->accessibleDescription(); }
};

void Key(QWidget* widget, Qt::Key key) { QTest::keyClick(widget, key); }

const QString kWaiting = QStringLiteral("4 個のファイルが待っています。種類を選んで Enter キーを押すと、新しい名前で"
                                        "「_rename」フォルダーにコピーします。Esc キーで取り消します。");
const QString kFourCopied = QStringLiteral("4 個のファイルを「%1/_rename」にコピーしました。");
const QString kOneCopied = QStringLiteral("1 個のファイルを「%1/_rename」にコピーしました。");
const Names kUpper{"--HELP=h", "-A.txt=a", "B.txt=b", "\x83\x65.txt=e"};

struct WaitRow {
    const char* name;
    int type;
    std::function<void(StartedWindow&, const fs::path&)> action;
    Names copies;  // Contents() of _rename afterwards
    bool waiting;  // the files still wait afterwards
    QString said;  // the status line afterwards, %1 for the folder
};
void PrintTo(const WaitRow& row, std::ostream* os) { *os << row.name; }

class Waiting : public ::testing::TestWithParam<WaitRow> {};

// Started with a relative path, a name that is not UTF-8 and, after "--",
// names that start with "-", the window opens with them waiting, the type
// list focused: two short lines on the frame, in full in the descriptions.
// Nothing is copied until the user says so; afterwards the window stays.
TEST_P(Waiting, UntilTheUserSaysSo) {
    const WaitRow& row = GetParam();
    mirado::test::TempDir dir;
    for (const auto& [file, contents] : {std::pair{"b.txt", "b"}, {"\x83\x65.txt", "e"}, {"-a.txt", "a"},
                                         {"--help", "h"}, {"other.txt", "o"}})
        WriteFile(dir.Path() / file, contents);
    const WorkingFolder cwd(dir.Path());
    StartedWindow w(row.type, StartedWith({"./b.txt", "\x83\x65.txt", "--", "-a.txt", "--help"}));
    EXPECT_EQ(w.Line("lblDrag")->text(), QStringLiteral("4 個のファイルが待っています"));
    EXPECT_EQ(w.Line("lblPaste")->text(), QStringLiteral("種類を選んで Enter でコピー"));
    for (const char* line : {"lblDrag", "lblPaste"})
        EXPECT_LE(w.Line(line)->sizeHint().width(), w.Line(line)->width()) << line;
    const QString& waiting = kWaiting;
    EXPECT_EQ(w.Description(), waiting);
    EXPECT_EQ(w.cboType->accessibleDescription(), waiting);
    EXPECT_EQ(QApplication::focusWidget(), w.cboType);

    row.action(w, dir.Path());
    mirado::test::WaitForBatch(w.window);
    // Whatever ran, nothing waits to be started again.
    if (!row.waiting) {
        Key(w.cboType, Qt::Key_Return);
        mirado::test::WaitForBatch(w.window);
    }
    EXPECT_TRUE(w.window.isVisible());
    EXPECT_EQ(Contents(dir.Path() / "_rename"), row.copies);
    EXPECT_EQ(w.Line("lblDrag")->text(), row.waiting ? QStringLiteral("4 個のファイルが待っています")
                                                     : QStringLiteral("ここにファイルをドラッグします"));
    EXPECT_EQ(w.cboType->accessibleDescription(), row.waiting ? waiting : QString());
    const QString said = QString(row.said).replace(QStringLiteral("%1"), QString::fromStdString(dir.Path().string()));
    EXPECT_EQ(w.Description().section(u'\n', 0, -2), said);
    EXPECT_EQ(w.told, said.isEmpty() ? QStringList{waiting} : (QStringList{waiting, said}));
    EXPECT_TRUE(w.messages.texts.empty());
    QGuiApplication::clipboard()->clear();
}

QList<QUrl> Other(const fs::path& dir) { return {QUrl::fromLocalFile(QString::fromStdString((dir / "other.txt").string()))}; }

QMimeData* Clip(const QList<QUrl>& urls) {
    auto* data = new QMimeData;
    data->setUrls(urls);
    return data;
}

INSTANTIATE_TEST_SUITE_P(
    Start, Waiting,
    ::testing::Values(
        WaitRow{"EnterOnTheList", 0, [](StartedWindow& w, const fs::path&) { Key(w.cboType, Qt::Key_Return); },
                kUpper, false, kFourCopied},
        WaitRow{"EnterOnTheFrame", 0,
                [](StartedWindow& w, const fs::path&) {
                    Key(w.cboType, Qt::Key_Tab);
                    Key(w.Frame(), Qt::Key_Enter);
                },
                kUpper, false, kFourCopied},
        WaitRow{"DoubleClickOnTheFrame", 0,
                [](StartedWindow& w, const fs::path&) { QTest::mouseDClick(w.Line("lblDrag"), Qt::LeftButton); },
                kUpper, false, kFourCopied},
        // The Enter that closes the open list chooses; the next one starts.
        WaitRow{"EnterThatClosesTheListOnlyChooses", 0,
                [](StartedWindow& w, const fs::path&) {
                    w.cboType->showPopup();
                    QWidget* list = w.cboType->view();
                    Key(list, Qt::Key_Down);
                    Key(list, Qt::Key_Return);
                    Key(w.cboType, Qt::Key_Return);  // as the window system may pass the same key on
                    EXPECT_FALSE(list->isVisible());
                    EXPECT_EQ(w.cboType->currentIndex(), 1);
                    EXPECT_FALSE(w.window.findChild<mirado::ui::BatchRunner*>()->Busy());
                    QCoreApplication::processEvents();  // the next turn of the event loop: a new key
                    Key(w.cboType, Qt::Key_Return);
                },
                {"--help=h", "-a.txt=a", "b.txt=b", "\x83\x65.txt=e"}, false, kFourCopied},
        WaitRow{"ReplaceAsksFirst", 8,
                [](StartedWindow& w, const fs::path&) {
                    mirado::test::ModalDriver driver([](QWidget* dialog) {
                        QTest::keyClicks(dialog->findChild<QWidget*>(QStringLiteral("txtFind")), QStringLiteral("a"));
                        QTest::keyClicks(dialog->findChild<QWidget*>(QStringLiteral("txtReplace")),
                                         QStringLiteral("z"));
                        Key(dialog->findChild<QWidget*>(QStringLiteral("txtReplace")), Qt::Key_Return);
                    });
                    Key(w.cboType, Qt::Key_Return);
                    mirado::test::WaitForBatch(w.window);
                },
                {"--help=h", "-z.txt=a", "b.txt=b", "\x83\x65.txt=e"}, false, kFourCopied},
        WaitRow{"EscapeForgetsThem", 0, [](StartedWindow& w, const fs::path&) { Key(w.cboType, Qt::Key_Escape); }, {},
                false, QStringLiteral("待っていた 4 個のファイルを取り消しました。何もコピーしていません。")},
        WaitRow{"DropStartsAtOnce", 0,
                [](StartedWindow& w, const fs::path& dir) {
                    mirado::test::DragAndDrop(w.window, *w.Line("lblDrag"), Other(dir));
                },
                {"OTHER.txt=o"}, false, kOneCopied},
        WaitRow{"PasteOfFilesStartsAtOnce", 0,
                [](StartedWindow& w, const fs::path& dir) {
                    QGuiApplication::clipboard()->setMimeData(Clip(Other(dir)));
                    Key(w.cboType, Qt::Key_Tab);
                    QTest::keyClick(w.Frame(), Qt::Key_V, Qt::ControlModifier);
                },
                {"OTHER.txt=o"}, false, kOneCopied},
        WaitRow{"PasteOfNoFileKeepsThem", 0,
                [](StartedWindow& w, const fs::path&) {
                    QGuiApplication::clipboard()->setMimeData(Clip({}));
                    Key(w.cboType, Qt::Key_Tab);
                    QTest::keyClick(w.Frame(), Qt::Key_V, Qt::ControlModifier);
                },
                {}, true,
                QStringLiteral("クリップボードにファイルがありません。ファイル マネージャーでファイルをコピーしてから"
                               "貼り付けてください。")}),
    [](const ::testing::TestParamInfo<WaitRow>& info) { return std::string(info.param.name); });

// Started without files, nothing changes.
TEST(Start, WithoutFilesChangesNothing) {
    const frmMain plain;
    StartedWindow w(0, StartedWith({}));
    EXPECT_EQ(w.Line("lblDrag")->text(), QStringLiteral("ここにファイルをドラッグします"));
    EXPECT_EQ(w.Description(), plain.findChild<mirado::ui::DropFrame*>()->accessibleDescription());
    EXPECT_TRUE(w.told.isEmpty());
}

// The program itself: the help and the version on standard output before
// anything needs a display; an option it does not know, also one that Qt
// does not take, refused on standard error with status 2 and no window.
TEST(Start, AnswersOrRefusesTheCommandLine) {
    const QString refused = QStringLiteral(
        "mirado: 「%1」というオプションはありません。使い方は mirado --help で確かめられます。"
        "「-」で始まる名前のファイルは、「--」の後に指定してください。\n");
    struct Row {
        QStringList arguments;
        int status;
        QString out, err;  // out: its first line
    } const rows[] = {
        {{QStringLiteral("--help")}, 0, QStringLiteral("使い方: mirado [--] [ファイル]..."), {}},
        {{QStringLiteral("a.txt"), QStringLiteral("-x"), QStringLiteral("--version")}, 0,
         QStringLiteral("Mirado 2.0.0"), {}},
        {{QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--bogus"), QStringLiteral("-y")},
         2, {}, refused.arg(QStringLiteral("--bogus"))},
        {{QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("-h"), QStringLiteral("--"),
          QStringLiteral("--help")},
         2, {}, refused.arg(QStringLiteral("-h"))},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments.join(u' ').toStdString());
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(MIRADO_PROGRAM), row.arguments);
        ASSERT_TRUE(program.waitForFinished(60'000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), row.status);
        EXPECT_EQ(QString::fromUtf8(program.readAllStandardOutput()).section(u'\n', 0, 0), row.out);
        // Qt may warn about the session first.
        const QString err = QString::fromUtf8(program.readAllStandardError());
        EXPECT_TRUE(row.err.isEmpty() ? err.isEmpty() : err.endsWith(u'\n' + row.err) || err == row.err) << err.toStdString();
    }
}

}  // namespace
