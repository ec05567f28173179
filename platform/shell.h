#pragma once
// Opening files and addresses, starting programs, the beep.

#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

// How the window of what is opened shows: the show command the desktop's shell is given.
// Linux has no such thing and ignores it.
enum class ShellShow { Normal, Maximized, Hidden };

// What became of an open or a start.
enum class ShellResult {
    Done,
    // Nothing to open is at the path (Windows: the shell's "file not found", 2).
    FileNotFound,
    // Any other failure: no program for the kind of file, no default application, a start
    // that failed (Windows: any other result up to 32).
    Failed,
};

class IShell {
public:
    virtual ~IShell() = default;
    // A file, not a folder, exists at the path.
    virtual bool FileExists(const QString& path) const = 0;
    // The desktop's "open" of a file: an executable file is started directly (no shell in
    // between), anything else opens in the desktop's default application for it. Returns
    // at once. FileNotFound when no file is at the path (a folder is none).
    virtual ShellResult OpenPath(const QString& path, ShellShow show) = 0;
    // A web page, a local page or a mailto: address in the default application.
    // FileNotFound for a local page that is not there.
    virtual ShellResult OpenUrl(const QUrl& url, ShellShow show) = 0;
    // Starts one of the two programs detached from this one, with an argument list.
    virtual ShellResult StartDetached(const QString& program, ShellShow show,
                                      const QStringList& arguments = {}) = 0;
    virtual void Beep() = 0;
    // Handles the window events already waiting, then returns.
    virtual void ProcessPendingEvents() = 0;
};

std::unique_ptr<IShell> MakeDesktopShell();
