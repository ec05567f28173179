#pragma once
// Opening files and addresses, starting programs, the beep.

#include <QString>
#include <QStringList>
#include <QUrl>

class IShell {
public:
    virtual ~IShell() = default;
    // A file, not a folder, exists at the path.
    virtual bool FileExists(const QString& path) const = 0;
    // An executable file is started directly (no shell); anything else opens in the
    // desktop's default application. Returns at once; false when the start failed.
    virtual bool OpenPath(const QString& path) = 0;
    // A web page, a local page or a mailto: address in the default application.
    virtual bool OpenUrl(const QUrl& url) = 0;
    // Starts a program detached from this one, with an argument list.
    virtual bool StartDetached(const QString& program, const QStringList& arguments = {}) = 0;
    virtual void Beep() = 0;
    // Handles the window events already waiting, then returns.
    virtual void ProcessPendingEvents() = 0;
};

class LinuxShell : public IShell {
public:
    bool FileExists(const QString& path) const override;
    bool OpenPath(const QString& path) override;
    bool OpenUrl(const QUrl& url) override;
    bool StartDetached(const QString& program, const QStringList& arguments = {}) override;
    void Beep() override;
    void ProcessPendingEvents() override;
};
