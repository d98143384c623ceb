// The Windows program started with files, as 送る and a drop on its icon
// start it, and the line that screen readers hear at once.
#include <gtest/gtest.h>

#include <windows.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QWidget>

#include <algorithm>

#include "Announcer.h"
#include "SystemCalls.h"
#include "TempDir.h"
#include "UiTestSupport.h"

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// mirado.exe with this command line after its name, as Explorer starts it.
void Start(QProcess& program, const QString& arguments) {
    program.setProgram(QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral(MIRADO_PROGRAM)));
    program.setNativeArguments(arguments);
    program.start();
    ASSERT_TRUE(program.waitForStarted());
}

std::wstring TextOf(HWND window) {
    wchar_t text[4096] = {};
    ::GetWindowTextW(window, text, 4096);
    return text;
}

// The program's first shown top-level window whose class or title is
// that, within a minute.
HWND WindowOf(const QProcess& program, const std::wstring& classOrTitle) {
    for (int i = 0; i < 1200; ++i, ::Sleep(50)) {
        for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, nullptr, nullptr)) != nullptr;) {
            DWORD id = 0;
            wchar_t name[64] = {};
            ::GetWindowThreadProcessId(w, &id);
            ::GetClassNameW(w, name, 64);
            const bool fits = name == classOrTitle || TextOf(w) == classOrTitle;
            if (id == static_cast<DWORD>(program.processId()) && ::IsWindowVisible(w) && fits) return w;
        }
    }
    return nullptr;
}

// The help, and a refusal, come in a message box, as the program has no
// console; OK ends it with 0, or 2 after the refusal.
TEST(Win32Start, AnswersTheCommandLineInAMessageBox) {
    const std::wstring help = L"使い方: mirado [--] [ファイル]...\n";
    const std::tuple<QString, std::wstring, int> rows[] = {
        {QStringLiteral("/?"), help, 0},
        {QStringLiteral("--bogus"), L"mirado: 「--bogus」というオプションはありません。", 2},
    };
    for (const auto& [arguments, begins, status] : rows) {
        SCOPED_TRACE(arguments.toStdString());
        QProcess program;
        Start(program, arguments);
        const HWND box = WindowOf(program, L"#32770");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(TextOf(::GetDlgItem(box, 0xFFFF)).substr(0, begins.size()), begins);  // the box's message
        EXPECT_EQ(TextOf(box), L"Mirado");
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_TRUE(program.waitForFinished(60'000));
        EXPECT_EQ(program.exitCode(), status);
    }
}

// About 32,000 characters of Japanese paths with spaces, one of them by
// its 8.3 short name: the window opens with them waiting, and Enter copies
// every one under its new name.
TEST(Win32Start, ALongCommandLineReachesTheBatchIntact) {
    mirado::test::TempDir dir;
    const fs::path folder = dir.Path() / fs::path(L"写真 フォルダー");
    QString arguments;
    Names expected;
    for (int i = 0;; ++i) {
        const QString name = QStringLiteral("ねこ と いぬ の しゃしん photo %1 とても 長い 名前 の ファイル.txt").arg(1000 + i);
        std::wstring path = (folder / name.toStdWString()).wstring();
        if (static_cast<size_t>(arguments.size()) + path.size() > 32'000 - 200) break;  // the program within 200
        mirado::test::WriteFile(path, std::to_string(i));
        if (i == 0) {
            wchar_t shortPath[MAX_PATH] = {};
            ASSERT_GT(::GetShortPathNameW(path.c_str(), shortPath, MAX_PATH), 0u);
            ASSERT_NE(fs::path(shortPath).filename(), fs::path(name.toStdWString())) << "no short name";
            path = shortPath;
        }
        arguments += QStringLiteral(" \"%1\"").arg(QString::fromStdWString(path));
        expected.push_back(name.toUpper().chopped(4).toStdString() + ".txt=" + std::to_string(i));
    }
    ASSERT_GE(expected.size(), 200u);
    std::sort(expected.begin(), expected.end());
    QProcess program;
    Start(program, arguments);
    const HWND window = WindowOf(program, L"Mirado Ver. 2.0.0");
    ASSERT_NE(window, nullptr);
    // Enter on the type list, which has the focus.
    const LPARAM scan = ::MapVirtualKeyW(VK_RETURN, MAPVK_VK_TO_VSC) << 16;
    ::PostMessageW(window, WM_KEYDOWN, VK_RETURN, 1 | scan);
    ::PostMessageW(window, WM_KEYUP, VK_RETURN, 1 | scan | (3u << 30));
    Names copies;
    for (int i = 0; i < 2400 && copies.size() < expected.size(); ++i, ::Sleep(50)) {
        copies = mirado::test::ListFolder(folder / "_rename");
        std::erase_if(copies, [](const std::string& name) { return name.starts_with(".mirado-"); });  // under way
    }
    for (std::string& copy : copies)
        copy += "=" + mirado::test::ReadFile(folder / "_rename" / fs::path(std::u8string(copy.begin(), copy.end())));
    EXPECT_EQ(copies, expected);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.waitForFinished(60'000));
    EXPECT_EQ(program.exitCode(), 0);
}

class HeardCalls : public mirado::SystemCalls {
public:
    HRESULT RaiseNotification(HWND window, const wchar_t* text) override {
        heard.emplace_back(window, text);
        return S_OK;
    }
    std::vector<std::pair<HWND, std::wstring>> heard;
};

// A line goes out as UI Automation's notification from the window once it
// is active: one that came before too. Windows' own call answers where
// it is there (Windows 10 1709 and later) and is missing without harm
// elsewhere (Wine 8).
TEST(Win32Announcer, TellsThroughUiAutomationOnceTheWindowIsActive) {
    HeardCalls calls;
    QWidget window;
    auto* announcer = new mirado::ui::Announcer(window, calls);
    announcer->Announce(QStringLiteral("二"));
    EXPECT_TRUE(calls.heard.empty());
    mirado::test::ShowAndActivate(window);
    announcer->Announce(QStringLiteral("三"));
    const HWND hwnd = reinterpret_cast<HWND>(window.winId());
    EXPECT_EQ(calls.heard, (std::vector<std::pair<HWND, std::wstring>>{{hwnd, L"二"}, {hwnd, L"三"}}));
    const HRESULT real = mirado::SystemCalls::Real().RaiseNotification(hwnd, L"四");
    EXPECT_TRUE(real == S_OK || real == HRESULT_FROM_WIN32(ERROR_CALL_NOT_IMPLEMENTED)) << std::hex << real;
}

}  // namespace
