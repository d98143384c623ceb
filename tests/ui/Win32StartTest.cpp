// The Windows program started with files, as Explorer's 送る and a drop on
// its icon start it: a command line as long as Windows allows reaches the
// batch intact, a short 8.3 name expanded; /?, --help and a refusal answer
// in a message box. And the line that screen readers hear at once.
#include <gtest/gtest.h>

#include <windows.h>

#include <QCoreApplication>
#include <QDir>
#include <QWidget>

#include <algorithm>
#include <functional>

#include "Announcer.h"
#include "SystemCalls.h"
#include "TempDir.h"
#include "UiTestSupport.h"

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// The program, started with arguments; ended by force with the object if
// it is still running.
class Program {
public:
    explicit Program(const std::wstring& arguments) {
        const QString program = QDir::toNativeSeparators(QDir(QCoreApplication::applicationDirPath())
                                                              .absoluteFilePath(QStringLiteral(MIRADO_PROGRAM)));
        std::wstring line = L"\"" + program.toStdWString() + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        started = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &process_) != FALSE;
    }
    ~Program() {
        if (!started) return;
        if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(process_.hProcess, 99);
        ::CloseHandle(process_.hThread);
        ::CloseHandle(process_.hProcess);
    }

    // Its first shown top-level window that fits, within a minute.
    HWND Window(const std::function<bool(HWND)>& fits) const {
        struct Search {
            DWORD id;
            const std::function<bool(HWND)>& fits;
            HWND found = nullptr;
        } search{process_.dwProcessId, fits};
        for (int i = 0; i < 1200 && search.found == nullptr; ++i) {
            ::EnumWindows(
                [](HWND window, LPARAM context) -> BOOL {
                    auto& s = *reinterpret_cast<Search*>(context);
                    DWORD id = 0;
                    ::GetWindowThreadProcessId(window, &id);
                    if (id == s.id && ::IsWindowVisible(window) && s.fits(window)) s.found = window;
                    return s.found == nullptr;
                },
                reinterpret_cast<LPARAM>(&search));
            if (search.found == nullptr) ::Sleep(50);
        }
        return search.found;
    }

    // Its exit code once it has ended, within a minute; -1 if it has not.
    long ExitCode() const {
        DWORD code = 0;
        if (::WaitForSingleObject(process_.hProcess, 60'000) != WAIT_OBJECT_0) return -1;
        ::GetExitCodeProcess(process_.hProcess, &code);
        return static_cast<long>(code);
    }

    bool started = false;

private:
    PROCESS_INFORMATION process_{};
};

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The longest text of the box's static controls: its message.
std::wstring MessageOf(HWND box) {
    std::wstring message;
    ::EnumChildWindows(
        box,
        [](HWND child, LPARAM context) -> BOOL {
            auto& longest = *reinterpret_cast<std::wstring*>(context);
            if (ClassOf(child) == L"Static" && TextOf(child).size() > longest.size()) longest = TextOf(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&message));
    return message;
}

// The help, and a refusal, come in a message box, as the program has no
// console; OK ends the program with 0, or 2 for the refusal, and no window.
TEST(Win32Start, AnswersTheCommandLineInAMessageBox) {
    const std::wstring help = L"使い方: mirado [--] [ファイル]...\n";
    const struct {
        const wchar_t* arguments;
        std::wstring begins;
        long status;
    } rows[] = {
        {L"/?", help, 0},
        {L"C:\\a.txt --help", help, 0},
        {L"--bogus", L"mirado: 「--bogus」というオプションはありません。", 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(QString::fromWCharArray(row.arguments).toStdString());
        Program program(row.arguments);
        ASSERT_TRUE(program.started);
        const HWND box = program.Window([](HWND window) { return ClassOf(window) == L"#32770"; });
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(TextOf(box), L"Mirado");
        EXPECT_EQ(MessageOf(box).substr(0, row.begins.size()), row.begins);
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_EQ(program.ExitCode(), row.status);
    }
}

// About 32,000 characters of Japanese paths with spaces, one of them by
// its 8.3 short name: the window opens with them waiting, and Enter copies
// every one under its new name.
TEST(Win32Start, ALongCommandLineReachesTheBatchIntact) {
    mirado::test::TempDir dir;
    const fs::path folder = dir.Path() / fs::path(L"写真 フォルダー");
    std::wstring arguments;
    Names expected;
    for (int i = 0;; ++i) {
        const std::wstring name = L"ねこ と いぬ の しゃしん photo " + std::to_wstring(1000 + i) + L" 長い 名前.txt";
        std::wstring path = (folder / name).wstring();
        if (arguments.size() + path.size() + 3 > 32'000 - 200) break;  // the program's own path, within 200
        mirado::test::WriteFile(folder / name, std::to_string(i));
        if (i == 0) {
            wchar_t shortPath[MAX_PATH] = {};
            ASSERT_GT(::GetShortPathNameW(path.c_str(), shortPath, MAX_PATH), 0u);
            ASSERT_NE(fs::path(shortPath).filename(), fs::path(name)) << "no short name to expand";
            path = shortPath;
        }
        arguments += L" \"" + path + L"\"";
        const QString copy = QString::fromStdWString(name).toUpper().replace(QStringLiteral(".TXT"), QStringLiteral(".txt"));
        expected.push_back(copy.toStdString() + "=" + std::to_string(i));
    }
    ASSERT_GE(expected.size(), 200u);
    std::sort(expected.begin(), expected.end());
    Program program(arguments);
    ASSERT_TRUE(program.started);
    const HWND window = program.Window([](HWND w) { return TextOf(w) == L"Mirado Ver. 2.0.0"; });
    ASSERT_NE(window, nullptr);
    // Enter on the type list, which has the focus.
    const UINT scan = ::MapVirtualKeyW(VK_RETURN, MAPVK_VK_TO_VSC);
    ::PostMessageW(window, WM_KEYDOWN, VK_RETURN, 1 | (scan << 16));
    ::PostMessageW(window, WM_KEYUP, VK_RETURN, 1 | (scan << 16) | (3u << 30));
    Names copies;
    for (int i = 0; i < 2400 && copies.size() < expected.size(); ++i) {
        ::Sleep(50);
        copies = mirado::test::ListFolder(folder / "_rename");
    }
    for (std::string& copy : copies)
        copy += "=" + mirado::test::ReadFile(folder / "_rename" / fs::path(std::u8string(copy.begin(), copy.end())));
    EXPECT_EQ(copies, expected);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ExitCode(), 0);
}

// Records the notifications instead of raising them.
class HeardCalls : public mirado::SystemCalls {
public:
    HRESULT RaiseNotification(HWND window, const wchar_t* text) override {
        heard.emplace_back(window, text);
        return S_OK;
    }
    std::vector<std::pair<HWND, std::wstring>> heard;
};

// What a window tells screen readers goes out as UI Automation's
// notification from the window, and only once the window is active: the
// latest line that came before. Windows' own call answers where it is
// there (Windows 10 1709 and later) and is missing without harm elsewhere
// (Wine 8).
TEST(Win32Announcer, TellsThroughUiAutomationOnceTheWindowIsActive) {
    HeardCalls calls;
    QWidget window;
    auto* announcer = new mirado::ui::Announcer(window, calls);
    announcer->Announce(QStringLiteral("一"));
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
