#include "files.h"

#include "filenames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::optional<QByteArray> ReadFileBytes(const QByteArray& native, qint64 maxBytes)
{
    if (native.isEmpty() || native.contains('\0'))
        return std::nullopt;
    // O_NONBLOCK: a FIFO named like a reminder must not stall the reader.
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    QByteArray data;
    bool ok = false;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= maxBytes) {
        data.resize(static_cast<qsizetype>(st.st_size));
        qsizetype got = 0;
        while (true) {
            if (got == data.size())
                data.resize(got + 4096); // the file grew since fstat
            const ssize_t r = ::read(fd, data.data() + got, static_cast<size_t>(data.size() - got));
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0) {
                ok = r == 0 && got <= maxBytes;
                break;
            }
            got += r;
        }
        data.resize(got);
    }
    ::close(fd);
    if (!ok)
        return std::nullopt;
    return data;
}

struct DirLock {
    int fd = -1;
    explicit DirLock(const QByteArray& folder)
    {
        fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return;
        while (::flock(fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(fd);
                fd = -1;
                return;
            }
        }
    }
    ~DirLock()
    {
        if (fd >= 0)
            ::close(fd); // releases the lock
    }
    DirLock(const DirLock&) = delete;
    DirLock& operator=(const DirLock&) = delete;
};

bool WriteAllFd(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t w = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        done += w;
    }
    return true;
}

// Temporary files are ".<file name>.tmp-" and six characters; the name never ends in
// ".ini", so no one lists or scans it.
const QByteArray kTempInfix(".tmp-");
constexpr qsizetype kTempSuffixLength = 6;

// A temporary file left by a killed writer is removed by a later writer once it is this old.
constexpr qint64 kStaleTempSeconds = 10 * 60;

bool IsTempName(QByteArrayView n)
{
    const qsizetype at = n.size() - kTempSuffixLength - kTempInfix.size();
    if (!n.startsWith('.') || at < 5 || !n.sliced(at).startsWith(kTempInfix))
        return false;
    // Only what the store leaves: the temporary of an ".ini" file, in any letter case.
    return qstrnicmp(n.data() + at - 4, ".ini", 4) == 0;
}

// Run with the folder locked. Every writer of the store holds that lock while its
// temporary file exists, so one found now belongs to a writer that died; the age and the
// file's own lock also keep away from a writer that did not take the folder lock.
void RemoveStaleTemporaries(int dirFd)
{
    const qint64 now = ::time(nullptr);
    const int scanFd = ::dup(dirFd);
    if (scanFd < 0)
        return;
    DIR* dir = ::fdopendir(scanFd);
    if (!dir) {
        ::close(scanFd);
        return;
    }
    ::rewinddir(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsTempName(entry->d_name))
            continue;
        struct stat st {};
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid() || now - st.st_mtime < kStaleTempSeconds)
            continue;
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dirFd, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

// Replaces the file through a temporary file in the same folder and a rename, so readers
// and a killed writer only ever leave the old or the new content.
bool ReplaceThroughTemporary(const QByteArray& target, const QByteArray& bytes, mode_t mode, int dirFd)
{
    const qsizetype slash = target.lastIndexOf('/');
    QByteArray tmpl = target.first(slash + 1) + '.' + target.sliced(slash + 1) + kTempInfix +
                      QByteArray(kTempSuffixLength, 'X');
    const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    // Held while it is written, so a cleaner never takes a file still being written.
    ::flock(fd, LOCK_EX | LOCK_NB);
    bool ok = ::fchmod(fd, mode) == 0 && WriteAllFd(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::rename(tmpl.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(tmpl.constData());
        return false;
    }
    ::fsync(dirFd);
    return true;
}

// The file a write goes to, as an absolute native path: a link is followed to its target.
std::optional<QByteArray> WriteTarget(const QString& path)
{
    QByteArray native = NativeFilePath(path);
    if (native.isEmpty() || native.contains('\0'))
        return std::nullopt;
    if (!native.startsWith('/'))
        native = QFile::encodeName(QDir::currentPath()) + '/' + native;
    struct stat st {};
    if (::lstat(native.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (!::realpath(native.constData(), resolved))
            return std::nullopt; // a dangling link
        native = resolved;
    }
    return native;
}

QByteArray FolderOf(const QByteArray& target)
{
    const qsizetype slash = target.lastIndexOf('/');
    return slash == 0 ? QByteArray("/") : target.first(slash);
}

// What is at the target before a write: false when nothing may be written there. `mode`
// is the file's to keep, or the one of a new file.
bool WritableTarget(const QByteArray& target, bool* exists, mode_t* mode)
{
    struct stat st {};
    *exists = false;
    *mode = 0600;
    if (::stat(target.constData(), &st) != 0)
        return errno == ENOENT;
    // The owner's write bit stands for the read-only attribute, also for root.
    if (!S_ISREG(st.st_mode) || !(st.st_mode & S_IWUSR))
        return false;
    *exists = true;
    *mode = st.st_mode & 07777;
    return true;
}

} // namespace

std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 maxBytes)
{
    return ReadFileBytes(NativeFilePath(path), maxBytes);
}

bool UpdateFileLocked(const QString& path, qint64 maxBytes, const FileUpdate& update)
{
    const std::optional<QByteArray> target = WriteTarget(path);
    if (!target)
        return false;
    DirLock lock(FolderOf(*target));
    if (lock.fd < 0)
        return false;
    RemoveStaleTemporaries(lock.fd);

    bool exists = false;
    mode_t mode = 0600;
    if (!WritableTarget(*target, &exists, &mode))
        return false;
    std::optional<QByteArray> current;
    if (exists) {
        current = ReadFileBytes(*target, maxBytes);
        if (!current)
            return false;
    }
    const std::optional<QByteArray> updated = update(current);
    if (!updated)
        return false;
    if (current && *updated == *current)
        return true;
    return ReplaceThroughTemporary(*target, *updated, mode, lock.fd);
}

bool ReplaceFileLocked(const QString& path, const QByteArray& bytes)
{
    const std::optional<QByteArray> target = WriteTarget(path);
    if (!target)
        return false;
    DirLock lock(FolderOf(*target));
    if (lock.fd < 0)
        return false;
    RemoveStaleTemporaries(lock.fd);
    bool exists = false;
    mode_t mode = 0600;
    if (!WritableTarget(*target, &exists, &mode))
        return false;
    return ReplaceThroughTemporary(*target, bytes, mode, lock.fd);
}

std::optional<QStringList> ListFolder(const QString& folder)
{
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return std::nullopt;
    QStringList names;
    while (true) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry)
            break;
        const QString name = DecodeFileName(entry->d_name);
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            names << name;
    }
    // A listing cut short by an error is no complete one.
    const bool complete = errno == 0;
    ::closedir(dir);
    if (!complete)
        return std::nullopt;
    return names;
}

bool MakePrivateFolders(const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    if (clean.isEmpty() || QFileInfo(clean).isDir())
        return !clean.isEmpty();
    const QString parent = QFileInfo(clean).path();
    if (parent != clean && !MakePrivateFolders(parent))
        return false;
    // mkdir only ever takes bits away from the mode it is given, so 0700 holds under
    // any umask; a folder made meanwhile by another start is as good.
    return ::mkdir(QFile::encodeName(clean).constData(), 0700) == 0 ||
           (errno == EEXIST && QFileInfo(clean).isDir());
}

bool RemoveFileOnly(const QString& path)
{
    const QByteArray native = NativeFilePath(path);
    if (native.isEmpty())
        return false;
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0)
        return errno == ENOENT;
    // Only a file is removed: a folder in its place, or a link to one, stays.
    struct stat target {};
    if (S_ISDIR(st.st_mode) || (S_ISLNK(st.st_mode) && ::stat(native.constData(), &target) == 0 &&
                                S_ISDIR(target.st_mode)))
        return false;
    return ::unlink(native.constData()) == 0;
}
