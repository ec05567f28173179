#include "files.h"
#include "folders.h"

#include <QDir>

#include <windows.h>

#include <shlobj.h>

#include <string>

namespace {

// A folder of the user's profile, with '/' as the programs build paths; empty when the
// system knows none.
QString ShellFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return QDir::fromNativeSeparators(QString::fromWCharArray(path));
}

// Asked afresh at every call, as the system says at that moment.
class WindowsFolders : public ISpecialFolders {
public:
    QString RoamingData() const override { return ShellFolder(CSIDL_APPDATA); }
    // Where the old program kept the scheduler's sizes.
    QString ResidentGeometryReadFolder() const override
    {
        std::wstring path(MAX_PATH, L'\0');
        const UINT n = GetWindowsDirectoryW(path.data(), UINT(path.size()));
        if (n == 0 || n >= path.size())
            return {};
        path.resize(n);
        return QDir::fromNativeSeparators(QString::fromStdWString(path));
    }
    // A standard user cannot write the Windows folder: the sizes go to the local
    // application data, in a folder made here when it is missing.
    QString ResidentGeometryWriteFolder() const override
    {
        const QString local = ShellFolder(CSIDL_LOCAL_APPDATA);
        if (local.isEmpty())
            return {};
        const QString folder = local + QStringLiteral("/Velmaro");
        MakePrivateFolders(folder);
        return folder;
    }
    QString StateHome() const override { return ShellFolder(CSIDL_LOCAL_APPDATA); }
    QString ProgramFolder() const override
    {
        std::wstring path(MAX_PATH, L'\0');
        while (true) {
            const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
            if (n == 0)
                return {};
            if (n < path.size()) {
                path.resize(n);
                break;
            }
            path.resize(path.size() * 2); // cut short: a longer path than the buffer
        }
        const QString file = QDir::fromNativeSeparators(QString::fromStdWString(path));
        return file.left(file.lastIndexOf(QLatin1Char('/')) + 1);
    }
};

} // namespace

std::unique_ptr<ISpecialFolders> MakeDesktopFolders() { return std::make_unique<WindowsFolders>(); }

QString ExecutableName(const QString& program) { return program + QStringLiteral(".exe"); }
