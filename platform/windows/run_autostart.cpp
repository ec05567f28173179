#include "windows/run_autostart.h"

#include <QDir>

#include <windows.h>

#include <vector>

namespace {

// The key, opened with the access asked for; closed with the object.
class RunKey {
public:
    RunKey(const std::wstring& path, REGSAM access)
    {
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, access, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~RunKey()
    {
        if (key_)
            RegCloseKey(key_);
    }
    RunKey(const RunKey&) = delete;
    RunKey& operator=(const RunKey&) = delete;
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

} // namespace

QString RunValueData(const QString& residentPath)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(residentPath) + QLatin1Char('"');
}

RunValueAutostart::RunValueAutostart(const QString& keyPath, const QString& valueName)
    : key_(keyPath.toStdWString()), value_(valueName.toStdWString())
{
}

bool RunValueAutostart::SetRunAtStartup(const QString& residentPath)
{
    // A quote inside would end the quoted path early and pass the rest as arguments.
    if (residentPath.isEmpty() || residentPath.contains(QLatin1Char('"')))
        return false;
    const RunKey key(key_, KEY_SET_VALUE);
    if (!key.Get())
        return false;
    const std::wstring data = RunValueData(residentPath).toStdWString();
    const DWORD bytes = DWORD((data.size() + 1) * sizeof(wchar_t)); // with the NUL
    return RegSetValueExW(key.Get(), value_.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()), bytes) == ERROR_SUCCESS;
}

AutostartState RunValueAutostart::State()
{
    const RunKey key(key_, KEY_QUERY_VALUE);
    if (!key.Get())
        return AutostartState::Unavailable;
    const LONG r = RegQueryValueExW(key.Get(), value_.c_str(), nullptr, nullptr, nullptr, nullptr);
    // A value too large to be read, or unreadable, is still there.
    return r == ERROR_FILE_NOT_FOUND ? AutostartState::Absent : AutostartState::Present;
}

bool RunValueAutostart::Remove()
{
    const RunKey key(key_, KEY_SET_VALUE | KEY_QUERY_VALUE);
    if (!key.Get())
        return false;
    const LONG r = RegDeleteValueW(key.Get(), value_.c_str());
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}

QString RunValueAutostart::Data() const
{
    const RunKey key(key_, KEY_QUERY_VALUE);
    if (!key.Get())
        return {};
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key.Get(), value_.c_str(), nullptr, &type, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = DWORD(buffer.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.Get(), value_.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &bytes) != ERROR_SUCCESS)
        return {};
    // Stored data need not end in a NUL; the buffer has one more than was stored.
    return QString::fromWCharArray(buffer.data());
}

std::unique_ptr<IAutostart> MakeDesktopAutostart() { return std::make_unique<RunValueAutostart>(); }
