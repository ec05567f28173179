#include "shell.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>

bool LinuxShell::FileExists(const QString& path) const
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.exists() && !info.isDir();
}

bool LinuxShell::OpenPath(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return false;
    // A program is started as it is, with an argument list and no shell in between, so
    // no character of its path can be taken as a command.
    if (info.isExecutable())
        return QProcess::startDetached(info.absoluteFilePath(), {}, info.absolutePath());
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

bool LinuxShell::OpenUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

bool LinuxShell::StartDetached(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}

void LinuxShell::Beep() { QApplication::beep(); }

void LinuxShell::ProcessPendingEvents() { QCoreApplication::processEvents(); }
