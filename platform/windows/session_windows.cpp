#include "session.h"

#include "windows/end_requests.h"

#include <QObject>

#include <windows.h>

#include <utility>

namespace {

// The session's end is broadcast to top-level windows only. Qt answers it for windows of
// its own, and the scheduler usually has none (its message window is hidden), so a
// hidden window of ours hears it.
LRESULT CALLBACK SessionWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // The process may be ended as soon as this returns: close now.
        if (wParam)
            RequestEnd(EndRequestDelivery::Now);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

HWND MakeSessionWindow()
{
    static const wchar_t kClass[] = L"NelvoraSessionWatch";
    WNDCLASSW wc = {};
    wc.lpfnWndProc = SessionWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    if (!RegisterClassW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    return CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClass, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

} // namespace

void TakeStartShowState()
{
    STARTUPINFOW startup = {};
    GetStartupInfoW(&startup);
    if (!(startup.dwFlags & STARTF_USESHOWWINDOW))
        return;
    // The first ShowWindow of the process gets the start's state whatever it asks for; the
    // second hides this window again if that state showed it.
    if (HWND window = MakeSessionWindow()) {
        ShowWindow(window, SW_HIDE);
        ShowWindow(window, SW_HIDE);
        DestroyWindow(window);
    }
}

void WatchEndOfSession(QObject* context, std::function<void()> onEnd)
{
    // WM_CLOSE to the presence window (the installer's way to end a running copy) comes
    // the same way, so the program ends alike whoever asks.
    AddEndRequestWatcher(context, std::move(onEnd));
    if (HWND window = MakeSessionWindow())
        QObject::connect(context, &QObject::destroyed, [window] { DestroyWindow(window); });
}
