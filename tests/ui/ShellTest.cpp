#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "DocumentService.h"
#include "MessageBoxService.h"
#include "TempDir.h"
#include "UiTestSupport.h"
#include "frmMain.h"

namespace {

using mirado::test::FileUrlRecorder;
using mirado::test::ModalDriver;
using mirado::test::ScopedCurrentPath;
using mirado::test::TempDir;
using mirado::test::WriteFile;

TEST(ErrorBox, CriticalWithOneOKButtonAndTheTitle) {
    QWidget owner;
    const auto box = mirado::CreateErrorBox(&owner, QStringLiteral("2:ファイル「<a&b>.txt」が見つかりません。"));
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Mirado"));
    EXPECT_EQ(box->text(), QStringLiteral("2:ファイル「<a&b>.txt」が見つかりません。"));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(box->parentWidget(), &owner);
    const QList<QAbstractButton*> buttons = box->buttons();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons.front()->text(), QStringLiteral("OK"));
    EXPECT_EQ(box->defaultButton(), buttons.front());
    EXPECT_EQ(box->escapeButton(), buttons.front());
}

TEST(ErrorBox, ShowErrorWaitsUntilTheUserPressesOK) {
    QString shownText;
    ModalDriver driver([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        shownText = box->text();
        QTest::mouseClick(box->buttons().front(), Qt::LeftButton);
    });
    mirado::MessageBoxService::Real().ShowError(nullptr, QStringLiteral("13:アクセスが拒否されました。"));
    EXPECT_EQ(driver.calls(), 1);
    EXPECT_FALSE(driver.stuck());
    EXPECT_EQ(shownText, QStringLiteral("13:アクセスが拒否されました。"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(ErrorBox, MainWindowReportsThroughTheService) {
    mirado::test::RecordingMessages messages;
    frmMain window(messages, mirado::DocumentService::Real());
    window.ShowErrorReport(u"1004:「https://example.com/a」はこのコンピューター上のファイルではありません。");
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts.front(),
              QStringLiteral("1004:「https://example.com/a」はこのコンピューター上のファイルではありません。"));
    EXPECT_EQ(messages.owners.front(), &window);
}

TEST(OpenDocument, OpensAnExistingFileByItsFullAddress) {
    TempDir dir;
    WriteFile(dir.Path() / "ヘルプ.html", "<p>x</p>");
    ScopedCurrentPath cwd(dir.Path());
    FileUrlRecorder recorder;
    EXPECT_TRUE(mirado::DocumentService::Real().Open(nullptr, QStringLiteral("ヘルプ.html")));
    ASSERT_EQ(recorder.urls.size(), 1u);
    EXPECT_EQ(recorder.urls.front(),
              QUrl::fromLocalFile(QString::fromStdString((dir.Path() / "ヘルプ.html").string())));
}

TEST(OpenDocument, HandsNothingOnForAMissingFileOrAFolder) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "Readme.html");
    ScopedCurrentPath cwd(dir.Path());
    FileUrlRecorder recorder;
    EXPECT_FALSE(mirado::DocumentService::Real().Open(nullptr, QStringLiteral("missing.html")));
    EXPECT_FALSE(mirado::DocumentService::Real().Open(nullptr, QStringLiteral("Readme.html")));
    EXPECT_TRUE(recorder.urls.empty());
}

// The help button asks for Readme.html of the current working folder.
struct HelpRow {
    const char* name;
    bool readmePresent;
};
void PrintTo(const HelpRow& row, std::ostream* os) { *os << row.name; }

class HelpButton : public ::testing::TestWithParam<HelpRow> {};

TEST_P(HelpButton, OpensTheReadMeOfTheWorkingFolder) {
    TempDir dir;
    if (GetParam().readmePresent) WriteFile(dir.Path() / "Readme.html", "<p>help</p>");
    ScopedCurrentPath cwd(dir.Path());
    FileUrlRecorder recorder;
    mirado::test::RecordingMessages messages;
    frmMain window(messages, mirado::DocumentService::Real());
    mirado::test::ShowAndActivate(window);
    const int windowsBefore = static_cast<int>(QApplication::topLevelWidgets().size());

    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdHelp")), Qt::LeftButton);

    if (GetParam().readmePresent) {
        ASSERT_EQ(recorder.urls.size(), 1u);
        EXPECT_EQ(QDir(recorder.urls.front().toLocalFile()).canonicalPath(),
                  QDir(QString::fromStdString((dir.Path() / "Readme.html").string())).canonicalPath());
    } else {
        EXPECT_TRUE(recorder.urls.empty());
    }
    // Either way the program itself shows nothing and stays idle.
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(static_cast<int>(QApplication::topLevelWidgets().size()), windowsBefore);
    EXPECT_TRUE(window.isVisible());
}

INSTANTIATE_TEST_SUITE_P(ReadMe, HelpButton,
                         ::testing::Values(HelpRow{"Present", true}, HelpRow{"Missing", false}),
                         [](const ::testing::TestParamInfo<HelpRow>& info) { return std::string(info.param.name); });

}  // namespace
