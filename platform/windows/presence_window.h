#pragma once
// The scheduler's presence on Windows: a hidden top-level window of class TForm1 titled
// "Nelvora", which the editor (and the installer, before it replaces the programs) finds
// with FindWindow. A window of that class and title made by anyone counts.

#include "presence.h"

#include <QString>

#include <windows.h>

class WindowPresence : public IPresence {
public:
    // className: "TForm1", or a test's own name, so that tests never meet a real copy.
    explicit WindowPresence(QString className);
    ~WindowPresence() override;
    WindowPresence(const WindowPresence&) = delete;
    WindowPresence& operator=(const WindowPresence&) = delete;

    // Makes the window, on the calling (GUI) thread. WM_CLOSE sent to it asks the program
    // to end (see end_requests.h); it never destroys the window by itself, or the editor
    // would start a second copy beside a scheduler still running.
    bool Hold() override;
    void Release() override;
    ResidentPresence LookForResident() const override;

    HWND Window() const { return hwnd_; }

private:
    std::wstring className_;
    HWND hwnd_ = nullptr;
};
