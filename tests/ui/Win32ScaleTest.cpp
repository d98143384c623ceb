// The windows at 100 %, 150 % and 200 % scale under Qt's own Windows
// platform: per-monitor DPI aware, the fixed size scaled, and every text
// whole, with room for the widest face Japanese Windows may draw it in.
#include <gtest/gtest.h>

#include <windows.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QProcess>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QWindow>

#include "UiTestSupport.h"
#include "frmMain.h"
#include "frmReplace.h"

namespace {

// The width text needs in the widest of the faces that Japanese Windows
// has for the window's font (MS UI Gothic, Meiryo UI, Yu Gothic UI): a
// full-width character is a whole em in each; a half-width one takes what
// the face at hand gives it, and half an em at least.
qreal WidestFaceWidth(const QFont& font, const QString& text) {
    const QFontMetricsF metrics(font);
    const qreal em = QFontInfo(font).pixelSize();
    qreal width = 0;
    for (const QChar c : text) {
        const bool halfWidth = c.unicode() < 0x1100 || (c.unicode() >= 0xFF61 && c.unicode() <= 0xFFDC);
        width += halfWidth ? std::max(metrics.horizontalAdvance(c), em / 2) : em;
    }
    return width;
}

// Every label, button and list item of window keeps its whole text.
void ExpectTextsWhole(QWidget& window) {
    for (QLabel* label : window.findChildren<QLabel*>()) {
        const QRect room = label->contentsRect();
        EXPECT_LE(WidestFaceWidth(label->font(), label->text()), room.width()) << label->text().toStdString();
        EXPECT_LE(QFontMetrics(label->font()).tightBoundingRect(label->text()).height(), room.height())
            << label->text().toStdString();
    }
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        EXPECT_LE(WidestFaceWidth(button->font(), button->text()) + margin, button->width())
            << button->text().toStdString();
    }
    for (QComboBox* list : window.findChildren<QComboBox*>()) {
        QStyleOptionComboBox option;
        option.initFrom(list);
        const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, list);
        for (int i = 0; i < list->count(); ++i)
            EXPECT_LE(WidestFaceWidth(list->font(), list->itemText(i)), field.width())
                << list->itemText(i).toStdString();
    }
}

// The scale this run was started for (MIRADO_TEST_DPI, 96 = 100 %).
UINT ExpectedDpi() {
    const QByteArray dpi = qgetenv("MIRADO_TEST_DPI");
    return dpi.isEmpty() ? USER_DEFAULT_SCREEN_DPI : dpi.toUInt();
}

// At the scale of this run: the windows' own checks.
TEST(Win32Scale, WindowsAreWholeAtThisScale) {
    frmMain window;
    mirado::test::ShowAndActivate(window);
    const HWND hwnd = reinterpret_cast<HWND>(window.winId());
    ASSERT_EQ(::GetDpiForWindow(hwnd), ExpectedDpi()) << "the system did not give the scale asked for";
    EXPECT_TRUE(::AreDpiAwarenessContextsEqual(::GetWindowDpiAwarenessContext(hwnd),
                                               DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE) ||
                ::AreDpiAwarenessContextsEqual(::GetWindowDpiAwarenessContext(hwnd),
                                               DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2));
    RECT client{};
    ::GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, ::MulDiv(312, static_cast<int>(ExpectedDpi()), USER_DEFAULT_SCREEN_DPI));
    EXPECT_EQ(client.bottom, ::MulDiv(206, static_cast<int>(ExpectedDpi()), USER_DEFAULT_SCREEN_DPI));
    ExpectTextsWhole(window);
    frmMain waiting;  // files waiting: the frame's two lines with a four-digit count
    waiting.HoldFiles(std::vector<std::u16string>(9999, u"C:\\a.txt"));
    waiting.show();
    ExpectTextsWhole(waiting);

    frmReplace dialog(&window);
    dialog.show();
    ExpectTextsWhole(dialog);
}

// The same at 150 % and 200 %: the system's scale is set before a program
// starts, so a run of its own each, with Windows' setting for it.
TEST(Win32Scale, WindowsAreWholeAt150And200Percent) {
    HKEY desktop = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                              &desktop),
              ERROR_SUCCESS);
    DWORD before = 0;
    DWORD size = sizeof before;
    const bool hadSetting =
        ::RegQueryValueExW(desktop, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&before), &size) ==
        ERROR_SUCCESS;
    for (DWORD dpi : {144u, 192u}) {
        ::RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("MIRADO_TEST_DPI"), QString::number(dpi));
        run.setProcessEnvironment(environment);
        run.setProcessChannelMode(QProcess::MergedChannels);
        run.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--gtest_filter=Win32Scale.WindowsAreWholeAtThisScale")});
        const bool ended = run.waitForFinished(120'000);
        EXPECT_TRUE(ended && run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0)
            << dpi << " dpi:\n"
            << run.readAll().toStdString();
    }
    if (hadSetting)
        ::RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&before), sizeof before);
    else
        ::RegDeleteValueW(desktop, L"LogPixels");
    ::RegCloseKey(desktop);
}

}  // namespace
