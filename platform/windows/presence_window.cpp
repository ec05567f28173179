#include "windows/presence_window.h"

#include "windows/end_requests.h"

#include <string>
#include <utility>

namespace {

const wchar_t kTitle[] = L"Nelvora";

LRESULT CALLBACK PresenceWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        RequestEnd(EndRequestDelivery::Queued);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterPresenceClass(const std::wstring& className)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PresenceWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className.c_str();
    // A class stays registered until the process ends; a second presence reuses it.
    return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

WindowPresence::WindowPresence(QString className)
    : className_(className.isEmpty() ? std::wstring(L"TForm1") : className.toStdWString())
{
}

WindowPresence::~WindowPresence() { Release(); }

bool WindowPresence::Hold()
{
    if (hwnd_)
        return true;
    // One that runs already is never taken over; this copy then runs unseen.
    if (FindWindowW(className_.c_str(), kTitle))
        return false;
    if (!RegisterPresenceClass(className_))
        return false;
    // Top-level and never shown: FindWindow does not see message-only windows. A tool
    // window keeps it out of the task bar and Alt+Tab should anything show it.
    hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, className_.c_str(), kTitle, WS_OVERLAPPED, 0, 0, 0,
                            0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    return hwnd_ != nullptr;
}

void WindowPresence::Release()
{
    if (!hwnd_)
        return;
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

ResidentPresence WindowPresence::LookForResident() const
{
    return FindWindowW(className_.c_str(), kTitle) ? ResidentPresence::Running
                                                   : ResidentPresence::NotRunning;
}

std::unique_ptr<IPresence> MakeDesktopPresence(const QString& testName)
{
    return std::make_unique<WindowPresence>(testName);
}
