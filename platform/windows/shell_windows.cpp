#include "windows/shell_windows.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <objbase.h>
#include <shellapi.h>

ShellResult ShellResultOf(INT_PTR result)
{
    if (result > 32)
        return ShellResult::Done;
    return result == SE_ERR_FNF ? ShellResult::FileNotFound : ShellResult::Failed;
}

int ShowCommand(ShellShow show)
{
    switch (show) {
    case ShellShow::Maximized:
        return SW_SHOWMAXIMIZED;
    case ShellShow::Hidden:
        return SW_HIDE;
    case ShellShow::Normal:
        break;
    }
    return SW_SHOWNORMAL;
}

QString CommandLineArguments(const QStringList& arguments)
{
    QStringList quoted;
    for (const QString& argument : arguments) {
        if (!argument.isEmpty() && !argument.contains(QRegularExpression(QStringLiteral("[\\s\"]")))) {
            quoted << argument;
            continue;
        }
        // Backslashes count only before a quote: doubled there, and before the closing one.
        QString text = QStringLiteral("\"");
        int backslashes = 0;
        for (const QChar c : argument) {
            if (c == QLatin1Char('\\')) {
                ++backslashes;
                continue;
            }
            if (c == QLatin1Char('"'))
                backslashes = backslashes * 2 + 1;
            text += QString(backslashes, QLatin1Char('\\')) + c;
            backslashes = 0;
        }
        text += QString(backslashes * 2, QLatin1Char('\\')) + QLatin1Char('"');
        quoted << text;
    }
    return quoted.join(QLatin1Char(' '));
}

namespace {

// COM for the shell's handlers, on this thread, for the length of one call. OLE1 DDE off,
// as the shell asks of its callers.
class ComForShell {
public:
    ComForShell()
        : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))
    {
    }
    ~ComForShell()
    {
        // A thread already in another apartment (RPC_E_CHANGED_MODE) was not initialised here.
        if (SUCCEEDED(hr_))
            CoUninitialize();
    }
    ComForShell(const ComForShell&) = delete;
    ComForShell& operator=(const ComForShell&) = delete;

private:
    HRESULT hr_;
};

ShellResult ShellOpen(const QString& file, const QString& parameters, ShellShow show)
{
    const ComForShell com;
    const std::wstring wideFile = file.toStdWString();
    const std::wstring wideParameters = parameters.toStdWString();
    const HINSTANCE result =
        ShellExecuteW(nullptr, L"open", wideFile.c_str(),
                      parameters.isEmpty() ? nullptr : wideParameters.c_str(), nullptr,
                      ShowCommand(show));
    return ShellResultOf(reinterpret_cast<INT_PTR>(result));
}

class WindowsShell : public IShell {
public:
    bool FileExists(const QString& path) const override
    {
        const QFileInfo info(path);
        return !path.isEmpty() && info.exists() && !info.isDir();
    }

    ShellResult OpenPath(const QString& path, ShellShow show) override
    {
        // The shell would open a folder in Explorer; a folder is no file to open.
        if (!FileExists(path))
            return ShellResult::FileNotFound;
        return ShellOpen(QDir::toNativeSeparators(path), {}, show);
    }

    ShellResult OpenUrl(const QUrl& url, ShellShow show) override
    {
        if (url.isLocalFile()) {
            const QString path = url.toLocalFile();
            if (!FileExists(path))
                return ShellResult::FileNotFound;
            return ShellOpen(QDir::toNativeSeparators(path), {}, show);
        }
        return ShellOpen(url.toString(QUrl::FullyEncoded), {}, show);
    }

    ShellResult StartDetached(const QString& program, ShellShow show,
                              const QStringList& arguments) override
    {
        return ShellOpen(QDir::toNativeSeparators(program), CommandLineArguments(arguments), show);
    }

    void Beep() override { MessageBeep(0); }

    void ProcessPendingEvents() override { QCoreApplication::processEvents(); }
};

} // namespace

std::unique_ptr<IShell> MakeDesktopShell() { return std::make_unique<WindowsShell>(); }
