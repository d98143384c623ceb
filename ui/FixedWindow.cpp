#include "FixedWindow.h"

#include <QWidget>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace mirado::ui {

#ifdef Q_OS_WIN
namespace {

constexpr wchar_t kPreviousProcedure[] = L"Mirado.PreviousWindowProcedure";

LRESULT CALLBACK RefusingProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto previous = reinterpret_cast<WNDPROC>(::GetPropW(hwnd, kPreviousProcedure));
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MAXIMIZE) return 0;
    if (message == WM_NCDESTROY) ::RemovePropW(hwnd, kPreviousProcedure);
    return ::CallWindowProcW(previous, hwnd, message, wParam, lParam);
}

}  // namespace

void RefuseMaximise(QWidget& window) {
    const HWND hwnd = reinterpret_cast<HWND>(window.winId());
    if (::GetPropW(hwnd, kPreviousProcedure) != nullptr) return;
    const LONG_PTR previous = ::GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
    ::SetPropW(hwnd, kPreviousProcedure, reinterpret_cast<HANDLE>(previous));
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RefusingProcedure));
}
#else
void RefuseMaximise(QWidget& /*window*/) {}
#endif

}  // namespace mirado::ui
