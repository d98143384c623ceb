#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "DropFrame.h"
#include "Error.h"
#include "UiTestSupport.h"
#include "frmMain.h"

namespace {

using mirado::test::RecordingMessages;

template <typename T>
T* Control(QWidget& window, const char* name) {
    T* control = window.findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr) ADD_FAILURE() << "no control " << name;
    return control;
}

TEST(MainWindowAtStart, ShowsCaptionFirstTypeAndAnEmptyBar) {
    RecordingMessages messages;
    frmMain window(messages, mirado::DocumentService::Real());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Mirado Ver. 2.0.0"));

    auto* cboType = Control<QComboBox>(window, "cboType");
    ASSERT_NE(cboType, nullptr);
    EXPECT_FALSE(cboType->isEditable());
    EXPECT_EQ(cboType->currentIndex(), 0);
    EXPECT_EQ(cboType->currentText(), QStringLiteral("大文字に変換"));
    EXPECT_EQ(window.ConversionType(), 0);
    QStringList texts;
    for (int i = 0; i < cboType->count(); ++i) texts << cboType->itemText(i);
    EXPECT_EQ(texts, (QStringList{QStringLiteral("大文字に変換"), QStringLiteral("小文字に変換"),
                                  QStringLiteral("各単語の先頭文字を大文字に変換"),
                                  QStringLiteral("半角文字を全角文字に変換"), QStringLiteral("全角文字を半角文字に変換"),
                                  QStringLiteral("ひらがなをカタカナに変換"), QStringLiteral("カタカナをひらがなに変換"),
                                  QStringLiteral("最終更新日時に変換"), QStringLiteral("指定した文字列に置換")}));

    auto* prgBar = Control<QProgressBar>(window, "prgBar");
    ASSERT_NE(prgBar, nullptr);
    EXPECT_EQ(prgBar->orientation(), Qt::Horizontal);
    EXPECT_EQ(prgBar->minimum(), 0);
    EXPECT_EQ(prgBar->maximum(), 100);
    EXPECT_EQ(prgBar->value(), 0);

    EXPECT_TRUE(window.GetFind().empty());
    EXPECT_TRUE(window.GetReplace().empty());
    EXPECT_TRUE(messages.texts.empty());
}

TEST(MainWindowAtStart, LabelsAndButtonText) {
    frmMain window;
    auto* lblType = Control<QLabel>(window, "lblType");
    auto* lblDrag = Control<QLabel>(window, "lblDrag");
    auto* cmdHelp = Control<QPushButton>(window, "cmdHelp");
    ASSERT_TRUE(lblType && lblDrag && cmdHelp);
    EXPECT_EQ(lblType->text(), QStringLiteral("ファイル名をどのように変更しますか"));
    EXPECT_TRUE(lblType->alignment() & Qt::AlignLeft);
    EXPECT_EQ(lblDrag->text(), QStringLiteral("ここにファイルをドラッグします"));
    EXPECT_TRUE(lblDrag->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(cmdHelp->text(), QStringLiteral("?"));
    // The drop area is the frame, with its label inside it.
    EXPECT_EQ(lblDrag->parentWidget(), window.findChild<QWidget*>(QStringLiteral("fraDrag")));
    EXPECT_TRUE(window.findChild<QWidget*>(QStringLiteral("fraDrag"))->acceptDrops());
}

TEST(MainWindowAtStart, NoTextIsCutShort) {
    frmMain window;
    for (const char* name : {"lblType", "lblDrag"}) {
        auto* label = Control<QLabel>(window, name);
        ASSERT_NE(label, nullptr);
        EXPECT_LE(label->sizeHint().width(), label->width()) << name;
    }
    auto* cboType = Control<QComboBox>(window, "cboType");
    ASSERT_NE(cboType, nullptr);
    EXPECT_LE(cboType->minimumSizeHint().width(), cboType->width());
}

TEST(MainWindowAtStart, FixedSizeWithMinimiseButNoMaximise) {
    frmMain window;
    EXPECT_EQ(window.minimumSize(), QSize(312, 206));
    EXPECT_EQ(window.maximumSize(), QSize(312, 206));
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::Window));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(window.windowIcon().isNull());
}

TEST(MainWindowAtStart, FontIsTheWindowFontEverywhere) {
    frmMain window;
    EXPECT_EQ(window.font().family(), QStringLiteral("MS UI Gothic"));
    EXPECT_DOUBLE_EQ(window.font().pointSizeF(), 9.75);
    for (QWidget* child : window.findChildren<QWidget*>())
        EXPECT_EQ(QFontInfo(child->font()).family(), QFontInfo(window.font()).family())
            << child->objectName().toStdString();
}

struct PlaceRow {
    const char* name;
    QRect geometry;  // inside the control's container, in pixels at 96 dpi
};
void PrintTo(const PlaceRow& row, std::ostream* os) { *os << row.name; }

class MainWindowLayout : public ::testing::TestWithParam<PlaceRow> {};

TEST_P(MainWindowLayout, PlacesTheControl) {
    frmMain window;
    auto* control = Control<QWidget>(window, GetParam().name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->geometry(), GetParam().geometry);
}

INSTANTIATE_TEST_SUITE_P(Controls, MainWindowLayout,
                         ::testing::Values(PlaceRow{"cboType", QRect(8, 24, 233, 21)},
                                           PlaceRow{"fraDrag", QRect(8, 56, 297, 121)},
                                           PlaceRow{"lblDrag", QRect(8, 64, 281, 17)},
                                           PlaceRow{"prgBar", QRect(0, 184, 312, 22)},
                                           PlaceRow{"cmdHelp", QRect(288, 8, 17, 17)}),
                         [](const ::testing::TestParamInfo<PlaceRow>& info) { return std::string(info.param.name); });

TEST(MainWindowLayout, TypeLabelStaysClearOfTheHelpButton) {
    frmMain window;
    auto* lblType = Control<QLabel>(window, "lblType");
    ASSERT_NE(lblType, nullptr);
    EXPECT_EQ(lblType->pos(), QPoint(8, 8));
    EXPECT_EQ(lblType->height(), 17);
    EXPECT_GE(lblType->width(), 217);
    EXPECT_LT(lblType->geometry().right(), Control<QWidget>(window, "cmdHelp")->geometry().left());
}

TEST(MainWindowFocus, OpensOnTheTypeListAndTabsToTheHelpButton) {
    frmMain window;
    mirado::test::ShowAndActivate(window);
    ASSERT_EQ(QApplication::focusWidget(), Control<QWidget>(window, "cboType"));
    QStringList visited;
    for (int i = 0; i < 2; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited, (QStringList{QStringLiteral("cmdHelp"), QStringLiteral("cboType")}));
    for (const char* name : {"lblType", "fraDrag", "lblDrag", "prgBar"})
        EXPECT_EQ(Control<QWidget>(window, name)->focusPolicy(), Qt::NoFocus) << name;
}

// How the bar takes what the batch engine sets.
struct BarRow {
    const char* name;
    int maximum;
    int value;
    bool refused;
};
void PrintTo(const BarRow& row, std::ostream* os) { *os << row.name; }

class MainWindowProgress : public ::testing::TestWithParam<BarRow> {};

TEST_P(MainWindowProgress, TakesOrRefusesTheSetting) {
    const BarRow& row = GetParam();
    frmMain window;
    auto* prgBar = Control<QProgressBar>(window, "prgBar");
    ASSERT_NE(prgBar, nullptr);
    try {
        window.SetProgressMax(row.maximum);
        window.SetProgressValue(row.value);
        EXPECT_FALSE(row.refused);
        EXPECT_EQ(prgBar->value(), row.value);
        // Never an empty range, which the bar would show as a busy animation.
        EXPECT_LT(prgBar->minimum(), prgBar->maximum());
        EXPECT_EQ(prgBar->minimum(), 0);
    } catch (const mirado::Error& error) {
        EXPECT_TRUE(row.refused);
        EXPECT_EQ(error.Number(), 380);
        EXPECT_FALSE(error.Description().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, MainWindowProgress,
                         ::testing::Values(BarRow{"FirstOfThree", 3, 1, false}, BarRow{"LastOfThree", 3, 3, false},
                                           BarRow{"BackToZero", 3, 0, false}, BarRow{"EmptyList", 0, 0, false},
                                           BarRow{"Large", 100000, 99999, false},
                                           BarRow{"NegativeMaximum", -1, 0, true},
                                           BarRow{"ValueAboveMaximum", 2, 3, true},
                                           BarRow{"ValueAboveEmptyList", 0, 1, true},
                                           BarRow{"NegativeValue", 2, -1, true}),
                         [](const ::testing::TestParamInfo<BarRow>& info) { return std::string(info.param.name); });

TEST(MainWindowClose, IsNeverRefusedAndReleasesTheFileServices) {
    frmMain window;
    mirado::test::ShowAndActivate(window);
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
    EXPECT_THROW(window.Fso(), mirado::Error);
}

}  // namespace
