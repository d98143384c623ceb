// The program started with files: read from its arguments as main() reads
// them, they wait in the window until the user starts them, as a drop of
// them with the chosen type, or forgets them.
#include <gtest/gtest.h>

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
using Names = std::vector<std::string>;

// A main window started in folder with these arguments, as main() reads
// them; what it tells screen readers at once is recorded.
struct Started {
    fs::path previous = fs::current_path();
    mirado::test::RecordingMessages messages;
    mirado::test::RecordingDocuments documents;
    frmMain window{messages, documents};
    QComboBox* cboType = window.findChild<QComboBox*>();
    mirado::ui::DropFrame* fraDrag = window.findChild<mirado::ui::DropFrame*>();
    QLabel* lblDrag = window.findChild<QLabel*>(QStringLiteral("lblDrag"));
    QStringList told;
    Started(const fs::path& folder, std::vector<std::string> arguments) {
        fs::current_path(folder);
        std::vector<char*> argv{const_cast<char*>("mirado")};
        for (std::string& argument : arguments) argv.push_back(argument.data());
        const mirado::ui::CommandLine command(mirado::StartArguments(static_cast<int>(argv.size()), argv.data()));
        EXPECT_EQ(command.Asks(), mirado::ui::CommandLine::Request::Open);
        const auto record = [this](const QString& text) { told << text; };
        QObject::connect(fraDrag, &mirado::ui::DropFrame::told, record);
        QObject::connect(window.findChild<mirado::ui::WaitingFiles*>(), &mirado::ui::WaitingFiles::told, record);
        mirado::test::ShowAndActivate(window);
        window.HoldFiles(command.Files());
    }
    ~Started() {
        fs::current_path(previous);
        QGuiApplication::clipboard()->clear();
    }
};

void Key(QWidget* widget, Qt::Key key) { QTest::keyClick(widget, key); }

QList<QUrl> Other(const fs::path& d) { return {QUrl::fromLocalFile(QString::fromStdString((d / "o.txt").string()))}; }

const QString kWaiting = QStringLiteral("4 個のファイルが待っています。種類を選んで Enter キーを押すと、新しい名前で"
                                        "「_rename」フォルダーにコピーします。Esc キーで取り消します。");
const QString kFourCopied = QStringLiteral("4 個のファイルを「%1/_rename」にコピーしました。");
const QString kOneCopied = QStringLiteral("1 個のファイルを「%1/_rename」にコピーしました。");
const Names kUpper{"--HELP", "-A.txt", "B.txt", "\x83\x65.txt"};

struct WaitRow {
    const char* name;
    std::function<void(Started&, const fs::path&)> action;
    Names copies;  // in _rename afterwards
    bool waiting;  // the files still wait afterwards
    QString said;  // the frame's status line afterwards, %1 for the folder
};
void PrintTo(const WaitRow& row, std::ostream* os) { *os << row.name; }

class Waiting : public ::testing::TestWithParam<WaitRow> {};

// Started with a relative path, a name that is not UTF-8 and, after "--",
// names that start with "-", the window opens with them waiting and the
// type list focused: two short lines on the frame, in full in the
// descriptions. Nothing is copied until the user says so; afterwards the
// window stays, and nothing waits to be started again.
TEST_P(Waiting, UntilTheUserSaysSo) {
    const WaitRow& row = GetParam();
    mirado::test::TempDir dir;
    for (const char* file : {"b.txt", "\x83\x65.txt", "-a.txt", "--help", "o.txt"})
        mirado::test::WriteFile(dir.Path() / file, file);
    Started w(dir.Path(), {"./b.txt", "\x83\x65.txt", "--", "-a.txt", "--help"});
    const QString waitingLine = QStringLiteral("4 個のファイルが待っています");
    EXPECT_EQ(w.lblDrag->text(), waitingLine);
    EXPECT_EQ(w.window.findChild<QLabel*>(QStringLiteral("lblPaste"))->text(),
              QStringLiteral("種類を選んで Enter でコピー"));
    for (QLabel* line : w.fraDrag->findChildren<QLabel*>()) EXPECT_LE(line->sizeHint().width(), line->width());
    EXPECT_EQ(w.fraDrag->accessibleDescription(), kWaiting);
    EXPECT_EQ(w.cboType->accessibleDescription(), kWaiting);
    EXPECT_EQ(QApplication::focusWidget(), w.cboType);

    row.action(w, dir.Path());
    mirado::test::WaitForBatch(w.window);
    if (!row.waiting) {
        Key(w.cboType, Qt::Key_Return);
        mirado::test::WaitForBatch(w.window);
    }
    EXPECT_TRUE(w.window.isVisible());
    EXPECT_EQ(mirado::test::ListFolder(dir.Path() / "_rename"), row.copies);
    EXPECT_EQ(w.lblDrag->text(), row.waiting ? waitingLine : QStringLiteral("ここにファイルをドラッグします"));
    EXPECT_EQ(w.cboType->accessibleDescription(), row.waiting ? kWaiting : QString());
    const QString said = QString(row.said).replace(QStringLiteral("%1"), QString::fromStdString(dir.Path().string()));
    EXPECT_EQ(w.fraDrag->accessibleDescription().section(u'\n', 0, -2), said);
    EXPECT_EQ(w.told, said.isEmpty() ? QStringList{kWaiting} : (QStringList{kWaiting, said}));
    EXPECT_TRUE(w.messages.texts.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Start, Waiting,
    ::testing::Values(
        WaitRow{"EnterOnTheList", [](Started& w, const fs::path&) { Key(w.cboType, Qt::Key_Return); }, kUpper, false,
                kFourCopied},
        WaitRow{"EnterOnTheFrame",
                [](Started& w, const fs::path&) {
                    Key(w.cboType, Qt::Key_Tab);
                    Key(w.fraDrag, Qt::Key_Enter);
                },
                kUpper, false, kFourCopied},
        WaitRow{"DoubleClickOnTheFrame",
                [](Started& w, const fs::path&) { QTest::mouseDClick(w.lblDrag, Qt::LeftButton); }, kUpper, false,
                kFourCopied},
        // The Enter that closes the open list chooses, also where the window
        // system passes the same key on to the list; the next Enter starts.
        WaitRow{"EnterThatClosesTheListOnlyChooses",
                [](Started& w, const fs::path&) {
                    w.cboType->showPopup();
                    Key(w.cboType->view(), Qt::Key_Down);
                    Key(w.cboType->view(), Qt::Key_Return);
                    Key(w.cboType, Qt::Key_Return);
                    EXPECT_FALSE(w.cboType->view()->isVisible());
                    EXPECT_FALSE(w.window.findChild<mirado::ui::BatchRunner*>()->Busy());
                    QCoreApplication::processEvents();  // the next turn of the event loop: a new key
                    Key(w.cboType, Qt::Key_Return);
                },
                {"--help", "-a.txt", "b.txt", "\x83\x65.txt"}, false, kFourCopied},
        WaitRow{"EscapeForgetsThem", [](Started& w, const fs::path&) { Key(w.cboType, Qt::Key_Escape); }, {}, false,
                QStringLiteral("待っていた 4 個のファイルを取り消しました。何もコピーしていません。")},
        WaitRow{"DropStartsAtOnce",
                [](Started& w, const fs::path& dir) { mirado::test::DragAndDrop(w.window, *w.lblDrag, Other(dir)); },
                {"O.txt"}, false, kOneCopied},
        WaitRow{"PasteOfNoFileKeepsThem",
                [](Started& w, const fs::path&) {
                    QGuiApplication::clipboard()->setMimeData(new QMimeData);
                    Key(w.cboType, Qt::Key_Tab);
                    QTest::keyClick(w.fraDrag, Qt::Key_V, Qt::ControlModifier);
                },
                {}, true,
                QStringLiteral("クリップボードにファイルがありません。ファイル マネージャーでファイルをコピーしてから"
                               "貼り付けてください。")}),
    [](const ::testing::TestParamInfo<WaitRow>& info) { return std::string(info.param.name); });

// The program itself: without files the window as always (none wait); the
// help and the version on standard output before anything needs a
// display; an option it does not know, also one that Qt does not take,
// refused on standard error with status 2 and no window.
TEST(Start, AnswersOrRefusesTheCommandLine) {
    mirado::test::TempDir dir;
    EXPECT_TRUE(Started(dir.Path(), {}).told.isEmpty());
    const QString refused = QStringLiteral(
        "mirado: 「%1」というオプションはありません。使い方は mirado --help で確かめられます。"
        "「-」で始まる名前のファイルは、「--」の後に指定してください。\n");
    const std::tuple<QStringList, int, QString, QString> rows[] = {  // out: its first line
        {{QStringLiteral("--help")}, 0, QStringLiteral("使い方: mirado [--] [ファイル]..."), {}},
        {QStringLiteral("a.txt -x --version").split(u' '), 0, QStringLiteral("Mirado 2.0.0"), {}},
        {QStringLiteral("-platform offscreen --bogus -y").split(u' '), 2, {}, refused.arg(QStringLiteral("--bogus"))},
        {QStringLiteral("-platform offscreen -h -- --help").split(u' '), 2, {}, refused.arg(QStringLiteral("-h"))},
    };
    for (const auto& [arguments, status, out, err] : rows) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(MIRADO_PROGRAM), arguments);
        ASSERT_TRUE(program.waitForFinished(60'000));
        EXPECT_EQ(program.exitCode(), status);
        EXPECT_EQ(QString::fromUtf8(program.readAllStandardOutput()).section(u'\n', 0, 0), out);
        // Qt may warn about the session first.
        const QString errors = QString::fromUtf8(program.readAllStandardError());
        EXPECT_TRUE(err.isEmpty() ? errors.isEmpty() : errors == err || errors.endsWith(u'\n' + err))
            << errors.toStdString();
    }
}

}  // namespace
