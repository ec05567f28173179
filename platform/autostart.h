#pragma once
// Start of the scheduler at log-in: registered by the editor at each of its starts, tested
// and removed by the scheduler's "Disable Nelvora".

#include <QString>

#include <memory>

enum class AutostartState {
    // Where the registration lives cannot be reached (Linux: the autostart folder neither
    // exists nor can be made; Windows: the Run key does not open).
    Unavailable,
    Absent,
    Present,
};

class IAutostart {
public:
    virtual ~IAutostart() = default;
    // Registers the scheduler at `residentPath` to start at each log-in, in place of any
    // earlier registration. False when it cannot be written; callers pass over that in
    // silence.
    virtual bool SetRunAtStartup(const QString& residentPath) = 0;
    // May make the place the registration lives in, as opening the Run key would.
    virtual AutostartState State() = 0;
    // Removes the registration; false when it is still there afterwards.
    virtual bool Remove() = 0;
};

// The desktop's own: the XDG autostart entry on Linux, the Run value on Windows. Tests
// never use it where it would reach the user's real one.
std::unique_ptr<IAutostart> MakeDesktopAutostart();
