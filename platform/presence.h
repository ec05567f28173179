#pragma once
// Whether the scheduler runs, for this user: the scheduler holds a mark while it runs, and
// the editor looks for it before it starts one.

#include <QString>

#include <memory>

enum class ResidentPresence {
    Running,
    NotRunning,
    // Cannot be told (no place for the mark, or the look failed): a copy may run unseen.
    Unknown,
};

class IPresence {
public:
    virtual ~IPresence() = default;
    // Scheduler: marks this program as running until Release, or the end of this object.
    // False when a running copy of this user already holds the mark (it is never taken
    // over) or when no mark can be held here; the program then runs unseen. True again
    // while it holds it.
    virtual bool Hold() = 0;
    virtual void Release() = 0;
    // Editor: Running while a copy of this user holds the mark; NotRunning once none does,
    // however the last one ended (what a killed copy leaves behind must not count), and
    // never for a copy of another user.
    virtual ResidentPresence LookForResident() const = 0;
};

// The desktop's own mark: a socket in a folder private to the user on Linux, the hidden
// window of class TForm1 titled "Nelvora" on Windows. Tests pass a name of their own so
// that they never meet a real copy; empty for the real mark.
std::unique_ptr<IPresence> MakeDesktopPresence(const QString& testName = {});
