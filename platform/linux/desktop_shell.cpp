#include "shell.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>

namespace {

ShellResult ResultOf(bool done) { return done ? ShellResult::Done : ShellResult::Failed; }

class DesktopShell : public IShell {
public:
    bool FileExists(const QString& path) const override
    {
        const QFileInfo info(path);
        return !path.isEmpty() && info.exists() && !info.isDir();
    }

    ShellResult OpenPath(const QString& path, ShellShow) override
    {
        const QFileInfo info(path);
        if (!info.exists() || info.isDir())
            return ShellResult::FileNotFound;
        // A program is started as it is, with an argument list and no shell in between, so
        // no character of its path can be taken as a command.
        if (info.isExecutable())
            return ResultOf(QProcess::startDetached(info.absoluteFilePath(), {}, info.absolutePath()));
        return ResultOf(QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath())));
    }

    ShellResult OpenUrl(const QUrl& url, ShellShow) override
    {
        // The opener runs apart and would only fail later, unseen.
        if (url.isLocalFile() && !FileExists(url.toLocalFile()))
            return ShellResult::FileNotFound;
        return ResultOf(QDesktopServices::openUrl(url));
    }

    ShellResult StartDetached(const QString& program, ShellShow, const QStringList& arguments) override
    {
        return ResultOf(QProcess::startDetached(program, arguments));
    }

    void Beep() override { QApplication::beep(); }

    void ProcessPendingEvents() override { QCoreApplication::processEvents(); }
};

} // namespace

std::unique_ptr<IShell> MakeDesktopShell() { return std::make_unique<DesktopShell>(); }
