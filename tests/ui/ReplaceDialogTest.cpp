#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "UiTestSupport.h"
#include "frmMain.h"
#include "frmReplace.h"

namespace {

using mirado::test::ModalDriver;

template <typename T>
T* Control(QWidget* window, const char* name) {
    T* control = window->findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr) ADD_FAILURE() << "no control " << name;
    return control;
}

TEST(ReplaceDialogAtLoad, CancelledWithEmptyTexts) {
    frmReplace dialog;
    EXPECT_TRUE(dialog.Cancel());
    EXPECT_TRUE(dialog.FindStr().isNull() || dialog.FindStr().isEmpty());
    EXPECT_TRUE(dialog.ReplaceStr().isEmpty());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("置換"));
    EXPECT_EQ(Control<QLabel>(&dialog, "lblFind")->text(), QStringLiteral("検索する文字列:"));
    EXPECT_EQ(Control<QLabel>(&dialog, "lblReplace")->text(), QStringLiteral("置換後の文字列:"));
    EXPECT_EQ(Control<QPushButton>(&dialog, "cmdOK")->text(), QStringLiteral("OK"));
    EXPECT_EQ(Control<QPushButton>(&dialog, "cmdCancel")->text(), QStringLiteral("キャンセル"));
    EXPECT_TRUE(Control<QLineEdit>(&dialog, "txtFind")->text().isEmpty());
    EXPECT_TRUE(Control<QLineEdit>(&dialog, "txtReplace")->text().isEmpty());
    EXPECT_TRUE(Control<QPushButton>(&dialog, "cmdOK")->isDefault());
    EXPECT_FALSE(Control<QPushButton>(&dialog, "cmdCancel")->isDefault());
}

TEST(ReplaceDialogAtLoad, FixedModalWithoutMinimiseOrMaximise) {
    frmReplace dialog;
    EXPECT_TRUE(dialog.isModal());
    EXPECT_EQ(dialog.minimumSize(), QSize(312, 126));
    EXPECT_EQ(dialog.maximumSize(), QSize(312, 126));
    const Qt::WindowFlags flags = dialog.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowContextHelpButtonHint));
    EXPECT_EQ(dialog.font().family(), QStringLiteral("MS UI Gothic"));
    EXPECT_DOUBLE_EQ(dialog.font().pointSizeF(), 9.75);
}

struct PlaceRow {
    const char* name;
    QRect geometry;  // inside the control's container, in pixels at 96 dpi
};
void PrintTo(const PlaceRow& row, std::ostream* os) { *os << row.name; }

class ReplaceDialogLayout : public ::testing::TestWithParam<PlaceRow> {};

TEST_P(ReplaceDialogLayout, PlacesTheControl) {
    frmReplace dialog;
    auto* control = Control<QWidget>(&dialog, GetParam().name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->geometry(), GetParam().geometry);
}

INSTANTIATE_TEST_SUITE_P(Controls, ReplaceDialogLayout,
                         ::testing::Values(PlaceRow{"lblFind", QRect(16, 20, 113, 17)},
                                           PlaceRow{"txtFind", QRect(136, 16, 157, 19)},
                                           PlaceRow{"lblReplace", QRect(16, 52, 113, 17)},
                                           PlaceRow{"txtReplace", QRect(136, 48, 157, 19)},
                                           PlaceRow{"fraButton", QRect(144, 88, 153, 25)},
                                           PlaceRow{"cmdOK", QRect(0, 0, 73, 25)},
                                           PlaceRow{"cmdCancel", QRect(80, 0, 73, 25)}),
                         [](const ::testing::TestParamInfo<PlaceRow>& info) { return std::string(info.param.name); });

// The ways the user answers the dialog.
enum class Answer { ClickOK, EnterInFind, EnterInReplace, ClickCancel, Escape, CloseBox };

void Give(QWidget* dialog, Answer answer) {
    auto* txtFind = Control<QLineEdit>(dialog, "txtFind");
    switch (answer) {
        case Answer::ClickOK:
            QTest::mouseClick(Control<QPushButton>(dialog, "cmdOK"), Qt::LeftButton);
            break;
        case Answer::EnterInFind:
            QTest::keyClick(txtFind, Qt::Key_Return);
            break;
        case Answer::EnterInReplace:
            QTest::keyClick(Control<QLineEdit>(dialog, "txtReplace"), Qt::Key_Enter);
            break;
        case Answer::ClickCancel:
            QTest::mouseClick(Control<QPushButton>(dialog, "cmdCancel"), Qt::LeftButton);
            break;
        case Answer::Escape:
            QTest::keyClick(txtFind, Qt::Key_Escape);
            break;
        case Answer::CloseBox:
            dialog->close();
            break;
    }
}

struct AnswerRow {
    const char* name;
    QString find;      // typed into txtFind
    QString replace;   // typed into txtReplace
    Answer answer;
    bool cancel;
    std::u16string findStr;
    std::u16string replaceStr;
};
void PrintTo(const AnswerRow& row, std::ostream* os) { *os << row.name; }

class ReplaceDialogAnswer : public ::testing::TestWithParam<AnswerRow> {};

// The main window shows the dialog modally, as the batch engine asks it to,
// and hands back what the user answered.
TEST_P(ReplaceDialogAnswer, ReachesTheBatchEngine) {
    const AnswerRow& row = GetParam();
    frmMain window;
    mirado::test::ShowAndActivate(window);
    QString focusAtOpen;
    ModalDriver driver([&](QWidget* dialog) {
        focusAtOpen = dialog->focusWidget() ? dialog->focusWidget()->objectName() : QString();
        mirado::test::TypeText(Control<QLineEdit>(dialog, "txtFind"), row.find);
        mirado::test::TypeText(Control<QLineEdit>(dialog, "txtReplace"), row.replace);
        Give(dialog, row.answer);
    });
    const mirado::ReplaceAnswer answer = window.ShowReplaceDialog();
    EXPECT_EQ(driver.calls(), 1);
    EXPECT_FALSE(driver.stuck());
    EXPECT_EQ(focusAtOpen, QStringLiteral("txtFind"));
    EXPECT_EQ(answer.Cancel, row.cancel);
    EXPECT_EQ(answer.FindStr, row.findStr);
    EXPECT_EQ(answer.ReplaceStr, row.replaceStr);
    // The dialog has been unloaded again.
    EXPECT_EQ(window.findChild<frmReplace*>(), nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ReplaceDialogAnswer,
    ::testing::Values(
        AnswerRow{"OKWithTexts", QStringLiteral("abc"), QStringLiteral("xyz"), Answer::ClickOK, false, u"abc", u"xyz"},
        AnswerRow{"OKWithEmptyTexts", QString(), QString(), Answer::ClickOK, false, u"", u""},
        AnswerRow{"OKKeepsSpacesAndWidth", QStringLiteral(" ａ b "), QStringLiteral("　"), Answer::ClickOK, false,
                  u" ａ b ", u"　"},
        AnswerRow{"EnterInFindWithReplaceEmpty", QStringLiteral("tmp_"), QString(), Answer::EnterInFind, false,
                  u"tmp_", u""},
        AnswerRow{"EnterInReplace", QStringLiteral("a"), QStringLiteral("b"), Answer::EnterInReplace, false, u"a",
                  u"b"},
        AnswerRow{"CancelButton", QStringLiteral("a"), QStringLiteral("b"), Answer::ClickCancel, true, u"", u""},
        AnswerRow{"EscapeKey", QStringLiteral("a"), QStringLiteral("b"), Answer::Escape, true, u"", u""},
        AnswerRow{"TitleBarClose", QStringLiteral("a"), QStringLiteral("b"), Answer::CloseBox, true, u"", u""}),
    [](const ::testing::TestParamInfo<AnswerRow>& info) { return std::string(info.param.name); });

TEST(ReplaceDialogFocus, TabsThroughBoxesAndButtons) {
    frmMain window;
    mirado::test::ShowAndActivate(window);
    QStringList visited;
    ModalDriver driver([&](QWidget* dialog) {
        (void)QTest::qWaitForWindowActive(dialog);
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        dialog->close();
    });
    window.ShowReplaceDialog();
    EXPECT_EQ(visited, (QStringList{QStringLiteral("txtReplace"), QStringLiteral("cmdOK"),
                                    QStringLiteral("cmdCancel"), QStringLiteral("txtFind")}));
}

TEST(ReplaceDialogReopen, OpensWithEmptyBoxesAfterAConfirmedOne) {
    frmMain window;
    mirado::test::ShowAndActivate(window);
    {
        ModalDriver first([](QWidget* dialog) {
            mirado::test::TypeText(Control<QLineEdit>(dialog, "txtFind"), QStringLiteral("old"));
            mirado::test::TypeText(Control<QLineEdit>(dialog, "txtReplace"), QStringLiteral("new"));
            Give(dialog, Answer::ClickOK);
        });
        ASSERT_FALSE(window.ShowReplaceDialog().Cancel);
    }
    QString find = QStringLiteral("unset");
    QString replace = QStringLiteral("unset");
    ModalDriver second([&](QWidget* dialog) {
        find = Control<QLineEdit>(dialog, "txtFind")->text();
        replace = Control<QLineEdit>(dialog, "txtReplace")->text();
        Give(dialog, Answer::ClickOK);
    });
    const mirado::ReplaceAnswer answer = window.ShowReplaceDialog();
    EXPECT_TRUE(find.isEmpty());
    EXPECT_TRUE(replace.isEmpty());
    EXPECT_FALSE(answer.Cancel);
    EXPECT_EQ(answer.FindStr, u"");
}

}  // namespace
