#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QGuiApplication>
#include <QIcon>

#include "Appearance.h"

namespace {

using mirado::ui::PrepareApplication;

TEST(ApplicationSetup, QtTextsAreJapanese) {
    PrepareApplication(*qApp);
    // Qt's own texts, such as the text boxes' context menu, come translated.
    EXPECT_EQ(QCoreApplication::translate("QLineEdit", "&Undo"), QStringLiteral("元に戻す(&U)"));
    EXPECT_EQ(QCoreApplication::translate("QLineEdit", "Select All"), QStringLiteral("すべてを選択"));
}

TEST(ApplicationSetup, FontFallsBackToAJapaneseFace) {
    PrepareApplication(*qApp);
    const QFont font = mirado::ui::WindowFont();
    EXPECT_EQ(font.family(), QStringLiteral("MS UI Gothic"));
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 9.75);
    EXPECT_EQ(font.weight(), QFont::Normal);
    EXPECT_FALSE(font.italic());
    // Qt keeps the names of the stand-ins in lower case.
    QStringList substitutes = QFont::substitutes(QStringLiteral("MS UI Gothic"));
    for (QString& name : substitutes) name = name.toLower();
    EXPECT_EQ(substitutes, (QStringList{QStringLiteral("noto sans cjk jp"), QStringLiteral("ipagothic"),
                                        QStringLiteral("vl gothic")}));
    // On this machine one of the stand-ins is installed and is what gets drawn.
    const QString drawn = QFontInfo(font).family();
    EXPECT_TRUE(drawn == QStringLiteral("Noto Sans CJK JP") || drawn == QStringLiteral("IPAGothic") ||
                drawn == QStringLiteral("VL Gothic") || drawn == QStringLiteral("MS UI Gothic"))
        << drawn.toStdString();
    EXPECT_EQ(QApplication::font().family(), QStringLiteral("MS UI Gothic"));
}

TEST(ApplicationSetup, IconAndNamesForTheDesktop) {
    PrepareApplication(*qApp);
    const QIcon icon = mirado::ui::ApplicationIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_TRUE(icon.availableSizes().contains(QSize(32, 32)));
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("jp.mirado.Mirado"));
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Mirado"));
}

TEST(ApplicationSetup, CaptionCarriesTheProjectVersion) {
    EXPECT_EQ(mirado::ui::MainCaption(), QStringLiteral("Mirado Ver. 2.0.0"));
}

}  // namespace
