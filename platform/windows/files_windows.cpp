#include "files.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <windows.h>

#include <aclapi.h>

#include <climits>
#include <string>

namespace {

// Paths go to the file system with the "\\?\" prefix: no limit of 260 characters, and no
// name means a device ("CON.ini", "NUL.ini" are plain files there). Such a path is taken
// as it is, so it is made absolute and clean first.
std::wstring LongPath(const QString& path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return {};
    QString native = QDir::toNativeSeparators(QDir::cleanPath(QDir::current().absoluteFilePath(path)));
    if (native.startsWith(QLatin1String("\\\\?\\")) || native.startsWith(QLatin1String("\\\\.\\")))
        return native.toStdWString();
    if (native.startsWith(QLatin1String("\\\\")))
        native = QLatin1String("\\\\?\\UNC\\") + native.mid(2);
    else
        native = QLatin1String("\\\\?\\") + native;
    return native.toStdWString();
}

std::wstring FolderOf(const std::wstring& target)
{
    const size_t slash = target.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : target.substr(0, slash);
}

std::wstring NameOf(const std::wstring& target)
{
    const size_t slash = target.find_last_of(L'\\');
    return slash == std::wstring::npos ? target : target.substr(slash + 1);
}

struct Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
    Handle() = default;
    explicit Handle(HANDLE handle) : h(handle) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool Valid() const { return h != INVALID_HANDLE_VALUE; }
    bool Close()
    {
        const bool ok = !Valid() || CloseHandle(h);
        h = INVALID_HANDLE_VALUE;
        return ok;
    }
};

// Opened to read, shared in every way, so that a reader never stands in a writer's way.
// A folder does not open without backup semantics, and a pipe or device is opened but never
// read: only a disk file is.
HANDLE OpenForRead(const std::wstring& path)
{
    return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool IsRegularFile(HANDLE h, BY_HANDLE_FILE_INFORMATION* info)
{
    return GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, info) &&
           !(info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<QByteArray> ReadOpened(HANDLE h, qint64 maxBytes)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!IsRegularFile(h, &info))
        return std::nullopt;
    const qint64 size = (qint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > maxBytes)
        return std::nullopt;
    QByteArray data(static_cast<qsizetype>(size), Qt::Uninitialized);
    qsizetype got = 0;
    while (true) {
        if (got == data.size())
            data.resize(got + 4096); // the file grew since its size was taken
        DWORD read = 0;
        const DWORD want = static_cast<DWORD>(qMin<qsizetype>(data.size() - got, 1 << 20));
        if (!ReadFile(h, data.data() + got, want, &read, nullptr))
            return std::nullopt;
        if (read == 0)
            break;
        got += read;
        if (got > maxBytes)
            return std::nullopt;
    }
    data.resize(got);
    return data;
}

// The folder's writers take turns through a lock on one byte of a lock file beside the
// reminders; the system drops the lock of a writer that dies. The file stays (hidden): it
// never ends in ".ini", so no listing takes it for a reminder.
struct FolderLock {
    Handle file;
    OVERLAPPED at{};
    bool held = false;
    explicit FolderLock(const std::wstring& folder)
    {
        // Read access is all a lock needs, so a lock file someone made read-only still works.
        // Not deletable while held: a cleaner removing its name would let the next writer
        // lock a new file beside this one, and two writers would hold "the" lock.
        file.h = CreateFileW((folder + L"\\.nelvora-writers.lock").c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (!file.Valid())
            return;
        BY_HANDLE_FILE_INFORMATION info{};
        held = IsRegularFile(file.h, &info) && LockFileEx(file.h, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at);
    }
    ~FolderLock()
    {
        if (held)
            UnlockFileEx(file.h, 0, 1, 0, &at);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
};

// Temporary files are ".<file name>.tmp-" and six characters; the name never ends in
// ".ini", so no one lists or scans it.
const QString kTempInfix = QStringLiteral(".tmp-");
constexpr qsizetype kTempSuffixLength = 6;

// A temporary file left by a killed writer is removed by a later writer once it has not been
// written for this long.
constexpr qint64 kStaleTempSeconds = 10 * 60;

bool IsTempName(const QString& n)
{
    const qsizetype at = n.size() - kTempSuffixLength - kTempInfix.size();
    if (!n.startsWith(QLatin1Char('.')) || at < 5 || !QStringView(n).sliced(at).startsWith(kTempInfix))
        return false;
    // Only what the store leaves: the temporary of an ".ini" file, in any letter case.
    return QStringView(n).sliced(at - 4, 4).compare(QLatin1String(".ini"), Qt::CaseInsensitive) == 0;
}

qint64 FileTimeSeconds(const FILETIME& t)
{
    return qint64((quint64(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 10000000);
}

// Run with the folder locked. Every writer of the store holds that lock while its
// temporary file exists, so one found now belongs to a writer that died. The age, and the
// delete access a writer denies while it holds its file open, also keep away from a writer
// that did not take the lock. Only the user's own files lie in a folder of the profile.
void RemoveStaleTemporaries(const std::wstring& folder)
{
    FILETIME nowTime{};
    GetSystemTimeAsFileTime(&nowTime);
    const qint64 now = FileTimeSeconds(nowTime);
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                   nullptr, 0);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const QString name = QString::fromWCharArray(found.cFileName);
        if (!IsTempName(name) ||
            (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
            now - FileTimeSeconds(found.ftLastWriteTime) < kStaleTempSeconds)
            continue;
        DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

bool WriteAll(HANDLE h, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        const DWORD want = static_cast<DWORD>(qMin<qsizetype>(bytes.size() - done, 1 << 20));
        if (!WriteFile(h, bytes.constData() + done, want, &wrote, nullptr) || wrote == 0)
            return false;
        done += wrote;
    }
    return true;
}

// A reader with the file open (a scanner, an indexer, the other program) makes a
// replacement fail for a moment: tried again for a bounded time, never waited on for good.
bool Transient(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

// What the replaced file keeps: its access rules and attributes, which the new text takes
// on before it is put in place.
struct Kept {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL dacl = nullptr;
    SECURITY_INFORMATION what = 0;
    DWORD attributes = 0;
    Kept() = default;
    ~Kept() { LocalFree(descriptor); }
    Kept(const Kept&) = delete;
    Kept& operator=(const Kept&) = delete;
    bool Take(HANDLE from, DWORD fileAttributes)
    {
        attributes = fileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        if (GetSecurityInfo(from, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                            &descriptor) != ERROR_SUCCESS)
            return false;
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        if (!GetSecurityDescriptorControl(descriptor, &control, &revision))
            return false;
        // Rules of its own stay its own; inherited ones come again from the same folder.
        what = DACL_SECURITY_INFORMATION | ((control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                          : UNPROTECTED_DACL_SECURITY_INFORMATION);
        return true;
    }
    bool GiveTo(HANDLE to) const
    {
        if (!descriptor)
            return true; // a new file: the folder's rules
        if (SetSecurityInfo(to, SE_FILE_OBJECT, what, nullptr, nullptr, dacl, nullptr) != ERROR_SUCCESS)
            return false;
        FILE_BASIC_INFO basic{};
        // Archive set, as any write sets it: backups that go by it take the changed file.
        basic.FileAttributes = attributes | FILE_ATTRIBUTE_ARCHIVE;
        return SetFileInformationByHandle(to, FileBasicInfo, &basic, sizeof basic);
    }
};

// One rename that replaces the file, so readers see the old content or the new one whole.
// ReplaceFileW would keep the rules and attributes by itself, but it is made of several
// steps in some implementations (Wine moves the old file away first), where a writer killed
// in between leaves no file at all.
bool PutInPlace(const std::wstring& temp, const std::wstring& target)
{
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        if (!Transient(GetLastError()) || attempt >= 200)
            return false;
        Sleep(10);
    }
}

// Replaces the file through a temporary file in the same folder and one rename, so readers
// and a killed writer only ever leave the old or the new content.
bool ReplaceThroughTemporary(const std::wstring& target, const QByteArray& bytes, const Kept& kept)
{
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const std::wstring stem = FolderOf(target) + L"\\." + NameOf(target) + kTempInfix.toStdWString();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring temp = stem;
        for (qsizetype i = 0; i < kTempSuffixLength; ++i)
            temp += wchar_t(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))]);
        // No delete sharing while it is written: no cleaner can take it away meanwhile.
        Handle file(CreateFileW(temp.c_str(), GENERIC_WRITE | WRITE_DAC, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) {
            if (GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return false;
        }
        bool ok = WriteAll(file.h, bytes) && FlushFileBuffers(file.h) && kept.GiveTo(file.h);
        ok = file.Close() && ok;
        ok = ok && PutInPlace(temp, target);
        if (!ok)
            DeleteFileW(temp.c_str());
        return ok;
    }
    return false;
}

// The file a write goes to: a link is followed to its target, which is replaced while the
// link stays. Empty when nothing may be written: a dangling link, or a name that does not
// open for another reason than its absence.
std::wstring WriteTarget(const QString& path)
{
    std::wstring native = LongPath(path);
    if (native.empty())
        return {};
    const DWORD attributes = GetFileAttributesW(native.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return native;
    Handle link(OpenForRead(native));
    if (!link.Valid())
        return {};
    std::wstring resolved(MAX_PATH, L'\0');
    while (true) {
        const DWORD n = GetFinalPathNameByHandleW(link.h, resolved.data(), DWORD(resolved.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0)
            return {};
        if (n < resolved.size()) {
            resolved.resize(n);
            return resolved;
        }
        resolved.resize(n + 1);
    }
}

enum class Target { Missing, Writable, Refused };

// What is at the target before a write, and what of it the new file keeps; with `current`
// its content, read whole.
Target InspectTarget(const std::wstring& target, qint64 maxBytes, Kept* kept, std::optional<QByteArray>* current)
{
    Handle file(OpenForRead(target));
    if (!file.Valid()) {
        // A missing file is made; a missing folder, or one that is no folder, is refused.
        return GetLastError() == ERROR_FILE_NOT_FOUND ? Target::Missing : Target::Refused;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!IsRegularFile(file.h, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ||
        !kept->Take(file.h, info.dwFileAttributes))
        return Target::Refused;
    if (current) {
        *current = ReadOpened(file.h, maxBytes);
        if (!*current)
            return Target::Refused;
    }
    return Target::Writable;
}

} // namespace

std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 maxBytes)
{
    const std::wstring native = LongPath(path);
    if (native.empty())
        return std::nullopt;
    Handle file(OpenForRead(native));
    if (!file.Valid())
        return std::nullopt;
    return ReadOpened(file.h, maxBytes);
}

bool UpdateFileLocked(const QString& path, qint64 maxBytes, const FileUpdate& update)
{
    const std::wstring target = WriteTarget(path);
    if (target.empty())
        return false;
    FolderLock lock(FolderOf(target));
    if (!lock.held)
        return false;
    RemoveStaleTemporaries(FolderOf(target));
    std::optional<QByteArray> current;
    Kept kept;
    if (InspectTarget(target, maxBytes, &kept, &current) == Target::Refused)
        return false;
    const std::optional<QByteArray> updated = update(current);
    if (!updated)
        return false;
    if (current && *updated == *current)
        return true;
    return ReplaceThroughTemporary(target, *updated, kept);
}

bool ReplaceFileLocked(const QString& path, const QByteArray& bytes)
{
    const std::wstring target = WriteTarget(path);
    if (target.empty())
        return false;
    FolderLock lock(FolderOf(target));
    if (!lock.held)
        return false;
    RemoveStaleTemporaries(FolderOf(target));
    Kept kept;
    if (InspectTarget(target, 0, &kept, nullptr) == Target::Refused)
        return false;
    return ReplaceThroughTemporary(target, bytes, kept);
}

std::optional<QStringList> ListFolder(const QString& folder)
{
    const std::wstring native = LongPath(folder);
    if (native.empty())
        return std::nullopt;
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileExW((native + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        // "Nothing matches" in a folder that is there (a drive's root has no "." and "..")
        // is an empty folder; any other failure, a missing path among them, is none.
        const DWORD error = GetLastError();
        const DWORD attributes = GetFileAttributesW(native.c_str());
        if (error == ERROR_FILE_NOT_FOUND && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return QStringList();
        return std::nullopt;
    }
    QStringList names;
    do {
        const QString name = QString::fromWCharArray(found.cFileName);
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            names << name;
    } while (FindNextFileW(find, &found));
    // A listing cut short by an error is no complete one.
    const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(find);
    if (!complete)
        return std::nullopt;
    return names;
}

// A folder made here takes the access rules of its parent. Under the user's profile
// (application data) those let in the user, the system and administrators only, which is
// the privacy the reminders need; no rules of our own are set.
bool MakePrivateFolders(const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    if (clean.isEmpty() || QFileInfo(clean).isDir())
        return !clean.isEmpty();
    const QString parent = QFileInfo(clean).path();
    if (parent != clean && !MakePrivateFolders(parent))
        return false;
    const std::wstring native = LongPath(clean);
    if (native.empty())
        return false;
    if (CreateDirectoryW(native.c_str(), nullptr))
        return true;
    // A folder made meanwhile by another start is as good.
    const DWORD attributes = GetFileAttributesW(native.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveFileOnly(const QString& path)
{
    const std::wstring native = LongPath(path);
    if (native.empty())
        return false;
    const DWORD attributes = GetFileAttributesW(native.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    // Only a file is removed: a folder in its place, a junction or a link made for a folder
    // stays, and so does a file link whose target is a folder.
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return false;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        Handle target(CreateFileW(native.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        if (target.Valid() && GetFileInformationByHandle(target.h, &info) &&
            (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return false;
    }
    // A read-only file is not removed, as the system's own deletion refuses it.
    return DeleteFileW(native.c_str());
}
