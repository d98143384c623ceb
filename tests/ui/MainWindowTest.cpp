#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

#include "Appearance.h"
#include "ConversionTypes.h"
#include "TempDir.h"
#include "UiTestSupport.h"
#include "frmMain.h"
#include "frmReplace.h"

namespace {

namespace fs = std::filesystem;

// Fixed in size, without a maximise button, with every type in its place.
TEST(MainWindow, IsFixedListsTheTypesAndTabShowsTheFocus) {
    frmMain window;
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    constexpr Qt::WindowFlags kButtons =
        Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint;
    EXPECT_EQ(window.windowFlags() & kButtons, Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    auto* cboType = window.findChild<QComboBox*>(QStringLiteral("cboType"));
    ASSERT_EQ(cboType->count(), static_cast<int>(mirado::kConversionTypes.size()));
    for (int i = 0; i < cboType->count(); ++i)  // the entry at a type's index names that type
        EXPECT_EQ(cboType->itemText(i).toStdU16String(), mirado::kConversionTypes[i].label);

    // Tab leads from the list to the drop frame, which shows that it has the
    // focus, and on to the help button, past the bar.
    mirado::test::ShowAndActivate(window);
    EXPECT_EQ(QApplication::focusWidget(), cboType);
    auto* fraDrag = window.findChild<QWidget*>(QStringLiteral("fraDrag"));
    const QImage unfocused = fraDrag->grab().toImage();
    QTest::keyClick(cboType, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), fraDrag);
    EXPECT_NE(fraDrag->grab().toImage(), unfocused) << "the focus does not show";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window.findChild<QWidget*>(QStringLiteral("cmdHelp")));
    EXPECT_EQ(fraDrag->grab().toImage(), unfocused);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), cboType);
}

// Each control below window in its accessibility tree, also inside frames,
// as "objectName role name [label] [described]". A frame that only holds
// controls is passed over, as a screen reader passes over an unnamed one.
void ReadTree(QAccessibleInterface* window, QStringList& controls) {
    for (int i = 0; i < window->childCount(); ++i) {
        QAccessibleInterface* control = window->child(i);
        const QAccessible::Role role = control->role();
        if (role != QAccessible::Border) {
            QStringList row{control->object()->objectName(), QString::number(role, 16),
                            control->text(QAccessible::Name)};
            for (const auto& [label, relation] : control->relations(QAccessible::Label))
                row << QStringLiteral("[%1]").arg(label->object()->objectName());
            if (!control->text(QAccessible::Description).isEmpty()) row << QStringLiteral("[described]");
            controls << row.join(u' ');
        }
        if (role == QAccessible::Border || role == QAccessible::Grouping) ReadTree(control, controls);
    }
}

// What a screen reader finds in both windows: a Japanese name for every
// control, by its label where it has one.
TEST(Accessibility, NamesEveryControlInJapanese) {
    frmMain window;
    frmReplace dialog;
    QStringList controls;
    ReadTree(QAccessible::queryAccessibleInterface(&window), controls);
    ReadTree(QAccessible::queryAccessibleInterface(&dialog), controls);
    for (const QString& control : controls)
        EXPECT_FALSE(control.section(u' ', 2, 2).isEmpty()) << "no name: " << control.toStdString();
    const auto row = [](const char* name, QAccessible::Role role, const char* text) {
        return QStringLiteral("%1 %2 %3").arg(QLatin1String(name), QString::number(role, 16), QString::fromUtf8(text));
    };
    const char* const question = "ファイル名をどのように変更しますか";
    EXPECT_EQ(window.findChild<QComboBox*>()->accessibleName(), QString::fromUtf8(question));
    // On Unix desktops Qt names a combo box by its entry and leaves the label
    // to the labelled-by relation, which is where Orca looks for it.
    EXPECT_EQ(controls, (QStringList{
                            row("lblType", QAccessible::StaticText, question),
                            row("cboType", QAccessible::ComboBox, "大文字に変換 [lblType]"),
                            row("fraDrag", QAccessible::Grouping, "ここにファイルをドラッグします [described]"),
                            row("lblDrag", QAccessible::StaticText, "ここにファイルをドラッグします"),
                            row("lblPaste", QAccessible::StaticText, "または Ctrl+V で貼り付けます"),
                            row("prgBar", QAccessible::ProgressBar, "コピーの進行状況"),
                            row("cmdHelp", QAccessible::Button, "ヘルプ [described]"),
                            row("lblFind", QAccessible::StaticText, "検索する文字列:"),
                            row("txtFind", QAccessible::EditableText, "検索する文字列 [lblFind]"),
                            row("lblReplace", QAccessible::StaticText, "置換後の文字列:"),
                            row("txtReplace", QAccessible::EditableText, "置換後の文字列 [lblReplace]"),
                            row("cmdOK", QAccessible::Button, "OK"),
                            row("cmdCancel", QAccessible::Button, "キャンセル"),
                        }));
}

// Every control lies inside its window or frame, and no two controls beside
// each other overlap (a label may share its edge pixel with its list). With
// the fonts installed here no label and no list entry is cut short, and the
// question ends before the help button.
TEST(WindowLayout, PlacesEveryControlWithRoomForItsText) {
    frmMain window;
    frmReplace dialog;
    for (QWidget* parent : {static_cast<QWidget*>(&window), static_cast<QWidget*>(&dialog),
                            window.findChild<QWidget*>(QStringLiteral("fraDrag")),
                            dialog.findChild<QWidget*>(QStringLiteral("fraButton"))}) {
        const QList<QWidget*> controls = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (QWidget* a : controls) {
            EXPECT_TRUE(parent->rect().contains(a->geometry())) << a->objectName().toStdString();
            const QRect inner = a->geometry().adjusted(0, 0, -1, -1);
            for (QWidget* b : controls)
                EXPECT_TRUE(a == b || !inner.intersects(b->geometry().adjusted(0, 0, -1, -1)))
                    << a->objectName().toStdString() << " overlaps " << b->objectName().toStdString();
        }
    }
    const QList<QLabel*> labels = window.findChildren<QLabel*>() + dialog.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 5);
    for (QLabel* label : labels) EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
    auto* cboType = window.findChild<QComboBox*>();
    EXPECT_LE(cboType->minimumSizeHint().width(), cboType->width());
    EXPECT_LT(window.findChild<QLabel*>(QStringLiteral("lblType"))->geometry().right(),
              window.findChild<QWidget*>(QStringLiteral("cmdHelp"))->geometry().left());
}

// Makes folder the current working folder while the object lives.
struct WorkingFolder {
    fs::path previous = fs::current_path();
    explicit WorkingFolder(const fs::path& folder) { fs::current_path(folder); }
    ~WorkingFolder() { fs::current_path(previous); }
};

// Plays the desktop while the object lives: PATH holds only a folder with
// an xdg-open of the test's own, which logs the path it is given, runs
// action and exits with code; with no code there is no xdg-open at all.
struct FakeDesktop {
    mirado::test::TempDir bin;
    QByteArray previousPath = qgetenv("PATH");
    FakeDesktop(std::optional<int> code, std::string_view action) {
        if (code) {
            const fs::path script = bin.Path() / "xdg-open";
            mirado::test::WriteFile(script, "#!/bin/sh\nprintf '%s' \"$1\" >\"" + (bin.Path() / "log").string() +
                                                "\"\n" + std::string(action) + "\nexit " + std::to_string(*code) +
                                                "\n");
            fs::permissions(script, fs::perms::owner_all);
        }
        qputenv("PATH", QByteArray::fromStdString(bin.Path().string()));
    }
    ~FakeDesktop() { qputenv("PATH", previousPath); }
    std::string Logged() const {
        return fs::exists(bin.Path() / "log") ? mirado::test::ReadFile(bin.Path() / "log") : "<not started>";
    }
};

// Counts the outcomes that the desktop reported.
class ObservedDocuments : public mirado::DocumentService {
public:
    int outcomes = 0;

protected:
    void Launch(QObject* context, const QString& path, std::function<void(bool)> done) override {
        DocumentService::Launch(context, path, [this, done](bool shown) {
            ++outcomes;
            done(shown);
        });
    }
};

// The help button hands Readme.html of the working folder, else the one
// beside the program, to the desktop; when the desktop cannot show it, the
// program shows it in a window of its own; when there is none, or it cannot
// be read, it says so.
TEST(HelpButton, ShowsTheReadMeThroughTheDesktopOrItsOwnWindow) {
    const fs::path programFolder = QCoreApplication::applicationDirPath().toStdString();
    const QString missing = QStringLiteral("ヘルプのファイル「Readme.html」が見つかりません。作業フォルダー、"
                                           "プログラムのフォルダー、インストール先のフォルダーのどこにもありません。"
                                           "Mirado をインストールし直してください。");
    const QString unreadable =
        QStringLiteral("ヘルプのファイル「%1」を開けません。ファイルを読み取れるか確認してください。");
    struct Case {
        const char* name;
        const char* readMe;  // where it is: "cwd", "beside_program", "none", "folder"
        std::optional<int> desktopExit;
        const char* desktopAction;
        bool window;      // the program shows it itself
        QString message;  // the one error box, %1 for the read-me's path
    };
    const Case cases[] = {
        {"beside_program", "beside_program", 0, "", false, {}},
        {"no_handler_told_late", "cwd", 3, "/bin/sleep 0.3", true, {}},
        {"no_xdg_open", "cwd", std::nullopt, "", true, {}},
        {"gone_before_fallback", "cwd", 4, "/bin/rm -f \"$1\"", false, unreadable},
        {"missing", "none", 0, "", false, missing},
        {"folder", "folder", 0, "", false, missing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string_view readMe = c.readMe;
        mirado::test::TempDir dir;
        const fs::path path = readMe == "beside_program" ? programFolder / "Readme.html"
                                                         : fs::canonical(dir.Path()) / "Readme.html";
        const bool handedOn = readMe == "cwd" || readMe == "beside_program";
        if (handedOn)
            mirado::test::WriteFile(path, "<html><head><title>Help title</title></head><p>help text</p></html>");
        if (readMe == "folder") fs::create_directory(path);
        struct Remove {
            fs::path path;
            ~Remove() { fs::remove(path); }
        } remove{readMe == "beside_program" ? path : fs::path()};
        WorkingFolder cwd(dir.Path());
        FakeDesktop desktop(c.desktopExit, c.desktopAction);
        mirado::test::RecordingMessages messages;
        ObservedDocuments documents;
        frmMain window(messages, documents);
        mirado::test::ShowAndActivate(window);
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdHelp")), Qt::LeftButton);

        EXPECT_TRUE(QTest::qWaitFor([&] { return documents.outcomes == (handedOn ? 1 : 0); }, 10000));
        EXPECT_EQ(desktop.Logged(), handedOn && c.desktopExit ? path.string() : "<not started>");
        const QString message = QString(c.message).replace(QStringLiteral("%1"), QString::fromStdString(path.string()));
        EXPECT_EQ(messages.texts, message.isEmpty() ? std::vector<QString>{} : std::vector<QString>{message});
        auto* help = window.findChild<QWidget*>(QStringLiteral("HelpWindow"));
        ASSERT_EQ(help != nullptr, c.window);
        if (help) {
            EXPECT_TRUE(help->isVisible());
            EXPECT_EQ(help->windowTitle(), QStringLiteral("Help title"));
            EXPECT_EQ(help->findChild<QTextBrowser*>()->toPlainText().trimmed(), QStringLiteral("help text"));
            // A second click raises the same window.
            QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdHelp")), Qt::LeftButton);
            EXPECT_TRUE(QTest::qWaitFor([&] { return documents.outcomes == 2; }, 10000));
            EXPECT_EQ(window.findChildren<QWidget*>(QStringLiteral("HelpWindow")).size(), 1);
        }
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

TEST(Application, SetsUpJapaneseQtTextsAndTheDesktopName) {
    mirado::ui::PrepareApplication(*qApp);
    EXPECT_EQ(QCoreApplication::translate("QLineEdit", "Select All"), QStringLiteral("すべてを選択"));
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("jp.mirado.Mirado"));
    EXPECT_FALSE(mirado::ui::ApplicationIcon().isNull());
}

}  // namespace
