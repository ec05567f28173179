#include "linux/presence_socket.h"

#include "files.h"
#include "linux/xdg_folders.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QSysInfo>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A real folder of this user that no one else may look into or add to. Root ignores
// modes, but the owner check still keeps another account's folder out.
bool IsPrivateFolder(const QByteArray& path, bool followLink)
{
    struct stat st = {};
    const int r = followLink ? ::stat(path.constData(), &st) : ::lstat(path.constData(), &st);
    return r == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

QString TempBase()
{
    const QString tmp = qEnvironmentVariable("TMPDIR");
    return QDir::isAbsolutePath(tmp) ? QDir::cleanPath(tmp) : QStringLiteral("/tmp");
}

// The address of a socket file in a folder. A socket address holds at most 107 bytes of
// path, less than a deep home folder needs: such a file is reached through the folder,
// opened, as /proc/self/fd/<n>/<name>, which the kernel resolves like any other path.
class SocketAddress {
public:
    SocketAddress(const QByteArray& folder, const QByteArray& name)
    {
        addr_.sun_family = AF_UNIX;
        QByteArray path = folder + '/' + name;
        if (!Fits(path)) {
            fd_ = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            if (fd_ < 0)
                return;
            path = "/proc/self/fd/" + QByteArray::number(fd_) + '/' + name;
            if (!Fits(path))
                return;
        }
        std::memcpy(addr_.sun_path, path.constData(), static_cast<size_t>(path.size()));
        valid_ = !name.isEmpty();
    }
    ~SocketAddress()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    SocketAddress(const SocketAddress&) = delete;
    SocketAddress& operator=(const SocketAddress&) = delete;

    bool Valid() const { return valid_; }
    const sockaddr* Get() const { return reinterpret_cast<const sockaddr*>(&addr_); }
    static constexpr socklen_t Size() { return sizeof(sockaddr_un); }

private:
    bool Fits(const QByteArray& path) const
    {
        return static_cast<size_t>(path.size()) < sizeof addr_.sun_path;
    }

    sockaddr_un addr_ = {};
    int fd_ = -1;
    bool valid_ = false;
};

int NewSocket() { return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0); }

enum class Probe {
    Absent,  // no file
    Stale,   // a file no one listens on: what a killed holder leaves
    Ours,    // a listener of this user
    Foreign, // a listener of another user
    Unknown, // could not tell
};

Probe ProbeSocket(const QByteArray& folder, const QByteArray& name)
{
    // First: a marker that could never be held must not read as absent.
    const SocketAddress addr(folder, name);
    if (!addr.Valid())
        return Probe::Unknown;
    const QByteArray path = folder + '/' + name;
    struct stat st = {};
    if (::lstat(path.constData(), &st) != 0)
        return errno == ENOENT ? Probe::Absent : Probe::Unknown;
    if (!S_ISSOCK(st.st_mode))
        return Probe::Stale;
    const int fd = NewSocket();
    if (fd < 0)
        return Probe::Unknown;
    int r;
    do
        r = ::connect(fd, addr.Get(), addr.Size());
    while (r != 0 && errno == EINTR);
    const int error = r == 0 ? 0 : errno;
    Probe result = Probe::Unknown;
    if (r == 0) {
        ucred peer = {};
        socklen_t len = sizeof peer;
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &len) == 0)
            result = peer.uid == ::getuid() ? Probe::Ours : Probe::Foreign;
    } else if (error == EAGAIN) {
        // A holder too busy to take connections has a full queue. Its credentials
        // cannot be read then; the file's owner stands in, as only this user can
        // make files in the folder.
        result = st.st_uid == ::getuid() ? Probe::Ours : Probe::Foreign;
    } else if (error == ECONNREFUSED) {
        result = Probe::Stale;
    } else if (error == ENOENT) {
        result = Probe::Absent;
    }
    ::close(fd);
    return result;
}

// Two copies starting at once must not both find a left-over file stale and then
// remove each other's fresh socket: the look and the replacement go under a lock on
// the folder. It is held for microseconds; a holder stopped meanwhile only costs the
// other a bounded wait.
class FolderLock {
public:
    explicit FolderLock(const QByteArray& folder)
    {
        fd_ = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ < 0)
            return;
        for (int i = 0; i < 200; ++i) {
            if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
                locked_ = true;
                return;
            }
            if (errno != EWOULDBLOCK && errno != EINTR)
                break;
            QThread::msleep(10);
        }
    }
    ~FolderLock()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool Locked() const { return locked_; }

private:
    int fd_ = -1;
    bool locked_ = false;
};

} // namespace

QString PresenceName() { return QStringLiteral("Velmaro.socket"); }

QString PresenceHomeFolder()
{
    // A home shared by several machines must not have one machine's marker taken for
    // another's: a killed holder's file there would look stale to every other machine.
    const QByteArray machine = QSysInfo::machineUniqueId();
    return XdgStateHome() + QStringLiteral("/Velmaro/presence") +
           (machine.isEmpty() ? QString() : QLatin1Char('-') + QString::fromLatin1(machine));
}

QString PresenceFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && IsPrivateFolder(QFile::encodeName(runtime), true))
        return QDir::cleanPath(runtime);
    // Without a usable runtime folder: one of our own under the home, where no one else
    // can be first, then one in the temporary folder, whose name anyone can guess. A
    // folder someone else made first, or opened to others, is refused, never used or
    // repaired.
    const QString home = PresenceHomeFolder();
    if (MakePrivateFolders(home) && IsPrivateFolder(QFile::encodeName(home), false))
        return home;
    const QString fallback = TempBase() + QStringLiteral("/nelvora-%1").arg(::getuid());
    const QByteArray native = QFile::encodeName(fallback);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    return IsPrivateFolder(native, false) ? fallback : QString();
}

PresenceMarker::PresenceMarker(QObject* parent) : QObject(parent) {}

PresenceMarker::~PresenceMarker()
{
    if (fd_ < 0)
        return;
    delete notifier_;
    notifier_ = nullptr;
    // Only our own file goes: one that replaced it meanwhile belongs to someone else.
    struct stat st = {};
    if (::lstat(path_.constData(), &st) == 0 && st.st_dev == dev_ && st.st_ino == ino_)
        ::unlink(path_.constData());
    ::close(fd_);
}

bool PresenceMarker::Hold(const QString& name)
{
    if (fd_ >= 0)
        return true;
    const QString folder = PresenceFolder();
    if (folder.isEmpty())
        return false;
    const QByteArray nativeFolder = QFile::encodeName(folder);
    const QByteArray nativeName = QFile::encodeName(name);
    const QByteArray path = nativeFolder + '/' + nativeName;
    const SocketAddress addr(nativeFolder, nativeName);
    if (!addr.Valid())
        return false;
    const FolderLock lock(nativeFolder);
    if (!lock.Locked())
        return false;
    const int fd = NewSocket();
    if (fd < 0)
        return false;
    for (int attempt = 0;; ++attempt) {
        if (::bind(fd, addr.Get(), addr.Size()) == 0)
            break;
        const Probe found = errno == EADDRINUSE && attempt == 0
                                ? ProbeSocket(nativeFolder, nativeName)
                                : Probe::Unknown;
        // A live copy of ours is never taken over; a killed one's file, or a listener of
        // another user in our own folder, is replaced.
        const bool replaceable =
            found == Probe::Stale || found == Probe::Foreign || found == Probe::Absent;
        if (!replaceable || (::unlink(path.constData()) != 0 && errno != ENOENT)) {
            ::close(fd);
            return false;
        }
    }
    struct stat st = {};
    if (::listen(fd, 16) != 0 || ::lstat(path.constData(), &st) != 0) {
        ::unlink(path.constData());
        ::close(fd);
        return false;
    }
    fd_ = fd;
    path_ = path;
    dev_ = st.st_dev;
    ino_ = st.st_ino;
    // Looks carry no data; accept and drop them so none pile up.
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &PresenceMarker::AcceptPending);
    return true;
}

void PresenceMarker::AcceptPending()
{
    for (;;) {
        const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0) {
            ::close(client);
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED)
            continue;
        return;
    }
}

ResidentPresence LookForResident(const QString& name)
{
    const QString folder = PresenceFolder();
    if (folder.isEmpty())
        return ResidentPresence::Unknown;
    switch (ProbeSocket(QFile::encodeName(folder), QFile::encodeName(name))) {
    case Probe::Ours:
        return ResidentPresence::Running;
    case Probe::Absent:
    case Probe::Stale:
    case Probe::Foreign: // in our own folder it does not count, and a holder replaces it
        return ResidentPresence::NotRunning;
    case Probe::Unknown:
        break;
    }
    return ResidentPresence::Unknown;
}

bool IsResidentRunning(const QString& name)
{
    return LookForResident(name) == ResidentPresence::Running;
}

namespace {

class SocketPresence : public IPresence {
public:
    explicit SocketPresence(const QString& name) : name_(name.isEmpty() ? PresenceName() : name) {}

    bool Hold() override
    {
        if (marker_)
            return true;
        auto marker = std::make_unique<PresenceMarker>();
        if (!marker->Hold(name_))
            return false;
        marker_ = std::move(marker);
        return true;
    }
    void Release() override { marker_.reset(); }
    ResidentPresence LookForResident() const override { return ::LookForResident(name_); }

private:
    QString name_;
    std::unique_ptr<PresenceMarker> marker_;
};

} // namespace

std::unique_ptr<IPresence> MakeDesktopPresence(const QString& testName)
{
    return std::make_unique<SocketPresence>(testName);
}
