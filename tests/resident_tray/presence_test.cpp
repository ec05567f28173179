// The marker the editor looks for: seen while a copy of this user listens, gone the
// moment it ends, never taken from a live copy, and never faked by another account.

#include "linux/presence_socket.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <optional>
#include <poll.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const QString& value)
        : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, QFile::encodeName(value));
    }
    ~ScopedEnv()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    QByteArray old_;
    bool had_;
};

mode_t ModeOf(const QString& path)
{
    struct stat st = {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

bool IsSocketFile(const QString& path)
{
    struct stat st = {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISSOCK(st.st_mode);
}

sockaddr_un Address(const QString& path)
{
    sockaddr_un addr = {};
    addr.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    std::memcpy(addr.sun_path, native.constData(),
                std::min(sizeof addr.sun_path - 1, static_cast<size_t>(native.size())));
    return addr;
}

// What a holder killed with SIGKILL leaves behind: the socket file, no listener.
void LeaveStaleSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un addr = Address(path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0) << errno;
    ::close(fd);
}

// Each test sees a runtime folder, a state home and a temporary folder of its own, so the
// fallbacks never meet a real copy or another run.
class PresenceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        ASSERT_EQ(::mkdir(QFile::encodeName(Runtime()).constData(), 0700), 0);
        ASSERT_EQ(::mkdir(QFile::encodeName(Tmp()).constData(), 01777), 0);
        ::chmod(QFile::encodeName(Tmp()).constData(), 01777);
        runtimeEnv = std::make_unique<ScopedEnv>("XDG_RUNTIME_DIR", Runtime());
        tmpEnv = std::make_unique<ScopedEnv>("TMPDIR", Tmp());
        stateEnv = std::make_unique<ScopedEnv>("XDG_STATE_HOME", root.path() + QStringLiteral("/state"));
    }
    void TearDown() override
    {
        runtimeEnv.reset();
        tmpEnv.reset();
        stateEnv.reset();
    }
    QString Runtime() const { return root.path() + QStringLiteral("/run"); }
    QString Tmp() const { return root.path() + QStringLiteral("/tmp"); }
    QString Fallback() const { return Tmp() + QStringLiteral("/nelvora-%1").arg(::getuid()); }
    static QString HomeFallbackUnder(const QString& state)
    {
        const QByteArray machine = QSysInfo::machineUniqueId();
        return state + QStringLiteral("/Velmaro/presence") + (machine.isEmpty() ? "" : "-" + machine);
    }
    QString HomeFallback() const { return HomeFallbackUnder(root.path() + QStringLiteral("/state")); }
    // A state home that can hold no folder: no fallback under the home.
    static std::unique_ptr<ScopedEnv> NoHome() { return std::make_unique<ScopedEnv>("XDG_STATE_HOME", "/dev/null/state"); }
    QString Socket() const { return Runtime() + QStringLiteral("/Velmaro.socket"); }

    QTemporaryDir root;
    std::unique_ptr<ScopedEnv> runtimeEnv, tmpEnv, stateEnv;
};

} // namespace

TEST_F(PresenceTest, SeenWhileHeldAndGoneAfter)
{
    EXPECT_EQ(PresenceFolder(), Runtime());
    EXPECT_FALSE(IsResidentRunning());
    auto marker = std::make_unique<PresenceMarker>();
    ASSERT_TRUE(marker->Hold());
    EXPECT_TRUE(marker->Hold()); // holding twice is harmless
    EXPECT_TRUE(IsSocketFile(Socket()));
    EXPECT_TRUE(IsResidentRunning());
    marker.reset();
    EXPECT_FALSE(QFile::exists(Socket()));
    EXPECT_FALSE(IsResidentRunning());
    PresenceMarker again;
    EXPECT_TRUE(again.Hold());
    EXPECT_TRUE(IsResidentRunning());
}

TEST_F(PresenceTest, KilledHoldersFileReadsNotRunningAndIsTakenOver)
{
    LeaveStaleSocket(Socket());
    ASSERT_TRUE(IsSocketFile(Socket()));
    EXPECT_FALSE(IsResidentRunning());
    auto next = std::make_unique<PresenceMarker>();
    EXPECT_TRUE(next->Hold());
    EXPECT_TRUE(IsResidentRunning());
    next.reset();
    // A plain file in its place is no holder either.
    {
        QFile f(Socket());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_FALSE(IsResidentRunning());
    next = std::make_unique<PresenceMarker>();
    EXPECT_TRUE(next->Hold());
    EXPECT_TRUE(IsResidentRunning());
}

TEST_F(PresenceTest, LiveHolderIsNeverTakenOver)
{
    auto first = std::make_unique<PresenceMarker>();
    ASSERT_TRUE(first->Hold());
    auto second = std::make_unique<PresenceMarker>();
    EXPECT_FALSE(second->Hold());
    second.reset();
    // The copy that did not get it must not take the first one's file with it.
    EXPECT_TRUE(IsResidentRunning());
    // A holder whose file was replaced leaves the newcomer's file alone when it ends.
    ASSERT_TRUE(QFile::remove(Socket()));
    PresenceMarker third;
    ASSERT_TRUE(third.Hold());
    first.reset();
    EXPECT_TRUE(IsSocketFile(Socket()));
    EXPECT_TRUE(IsResidentRunning());
}

TEST_F(PresenceTest, FallbackFolderIsMadePrivateUnderAnyUmask)
{
    const mode_t old = ::umask(0);
    {
        ScopedEnv unset("XDG_RUNTIME_DIR", QString());
        EXPECT_EQ(PresenceFolder(), HomeFallback());
        EXPECT_EQ(ModeOf(HomeFallback()), 0700u);
        EXPECT_EQ(ModeOf(root.path() + QStringLiteral("/state")), 0700u);
        PresenceMarker marker;
        EXPECT_TRUE(marker.Hold());
        EXPECT_TRUE(IsSocketFile(HomeFallback() + QStringLiteral("/Velmaro.socket")));
        EXPECT_TRUE(IsResidentRunning());

        // Without a home to use, the temporary folder is the last resort.
        const auto noHome = NoHome();
        EXPECT_EQ(PresenceFolder(), Fallback());
        EXPECT_EQ(ModeOf(Fallback()), 0700u);
    }
    ::umask(old);
    {
        ScopedEnv relative("XDG_RUNTIME_DIR", QStringLiteral("run"));
        EXPECT_EQ(PresenceFolder(), HomeFallback());
    }
    // A runtime folder others may enter is not used; the marker held in it is not seen.
    PresenceMarker inRuntime;
    ASSERT_TRUE(inRuntime.Hold());
    ASSERT_EQ(::chmod(QFile::encodeName(Runtime()).constData(), 0755), 0);
    EXPECT_EQ(PresenceFolder(), HomeFallback());
    EXPECT_FALSE(IsResidentRunning());
}

TEST_F(PresenceTest, FallbackThatIsALinkOrOpenToOthersGivesNoMarker)
{
    ScopedEnv unset("XDG_RUNTIME_DIR", QString());
    ASSERT_TRUE(QDir().mkpath(QFileInfo(HomeFallback()).path()));
    for (const QString& fallback : {HomeFallback(), Fallback()})
        ASSERT_TRUE(QFile::link(Runtime(), fallback));
    EXPECT_EQ(PresenceFolder(), QString());
    PresenceMarker marker;
    EXPECT_FALSE(marker.Hold());
    EXPECT_FALSE(IsResidentRunning());
    EXPECT_EQ(LookForResident(), ResidentPresence::Unknown);
    EXPECT_FALSE(QFile::exists(Socket()));

    for (const QString& fallback : {HomeFallback(), Fallback()}) {
        ASSERT_TRUE(QFile::remove(fallback));
        ASSERT_EQ(::mkdir(QFile::encodeName(fallback).constData(), 0700), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(fallback).constData(), 0770), 0);
    }
    EXPECT_EQ(PresenceFolder(), QString());
    // Refused, never repaired behind the user's back.
    EXPECT_EQ(ModeOf(HomeFallback()), 0770u);
    EXPECT_EQ(ModeOf(Fallback()), 0770u);
}

TEST_F(PresenceTest, HomeTooDeepForASocketAddressStillHoldsAndIsSeen)
{
    ScopedEnv unset("XDG_RUNTIME_DIR", QString());
    const QString deep = root.path() + QStringLiteral("/") + QString(120, QLatin1Char('d'));
    ScopedEnv state("XDG_STATE_HOME", deep);
    const QString socket = HomeFallbackUnder(deep) + QStringLiteral("/Velmaro.socket");
    ASSERT_GT(QFile::encodeName(socket).size(), 108);
    {
        PresenceMarker marker;
        ASSERT_TRUE(marker.Hold());
        EXPECT_TRUE(IsSocketFile(socket));
        EXPECT_EQ(LookForResident(), ResidentPresence::Running);
        EXPECT_FALSE(PresenceMarker().Hold());
    }
    EXPECT_EQ(LookForResident(), ResidentPresence::NotRunning);
}

TEST_F(PresenceTest, NameTooLongForASocketIsNotHeld)
{
    PresenceMarker marker;
    EXPECT_FALSE(marker.Hold(QString(120, QLatin1Char('n'))));
    EXPECT_FALSE(marker.Holds());
}

TEST_F(PresenceTest, BusyHolderIsStillSeenAndDropsEveryLook)
{
    PresenceMarker marker;
    ASSERT_TRUE(marker.Hold());
    // The holder handles no events meanwhile, as while it is busy: its queue of waiting
    // connections fills up and later looks can no longer connect.
    for (int i = 0; i < 53; ++i)
        ASSERT_TRUE(IsResidentRunning()) << i;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 300)
        QCoreApplication::processEvents();
    // Once it runs again the queue is empty: a new look connects at once.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    const sockaddr_un addr = Address(Socket());
    EXPECT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0) << errno;
    ::close(fd);
    EXPECT_TRUE(IsResidentRunning());
}

// Squatting by another account. Root ignores file modes, so these run as root with a
// real unprivileged account made for the purpose.
namespace {

constexpr const char* kSquatterName = "nelvora-squat";

std::optional<uid_t> SquatterUid()
{
    if (const passwd* pw = ::getpwnam(kSquatterName))
        return pw->pw_uid;
    QProcess::execute(QStringLiteral("useradd"),
                      {QStringLiteral("--system"), QStringLiteral("--no-create-home"),
                       QStringLiteral("--shell"), QStringLiteral("/usr/sbin/nologin"),
                       QString::fromLatin1(kSquatterName)});
    if (const passwd* pw = ::getpwnam(kSquatterName))
        return pw->pw_uid;
    return std::nullopt;
}

// A process of the other account listening at a path. With bindAsUs the file is made
// before it drops to the other account, as if it had got into our own folder.
class Squatter {
public:
    Squatter(uid_t uid, const QString& path, bool bindAsUs = false)
    {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        const sockaddr_un addr = Address(path);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            const auto drop = [uid] {
                return ::setresgid(uid, uid, uid) == 0 && ::setresuid(uid, uid, uid) == 0;
            };
            bool ok = fd >= 0 && (bindAsUs || drop());
            ok = ok && ::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
            ok = ok && (!bindAsUs || drop()) && ::listen(fd, 4) == 0;
            const char byte = ok ? '1' : '0';
            [[maybe_unused]] const ssize_t w = ::write(ready[1], &byte, 1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        pollfd p = {ready[0], POLLIN, 0};
        char byte = '0';
        if (::poll(&p, 1, 5000) == 1 && ::read(ready[0], &byte, 1) == 1)
            listening_ = byte == '1';
        ::close(ready[0]);
    }
    ~Squatter()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    Squatter(const Squatter&) = delete;
    Squatter& operator=(const Squatter&) = delete;
    bool Listening() const { return listening_; }

private:
    pid_t pid_ = -1;
    bool listening_ = false;
};

} // namespace

class PresenceSquatTest : public PresenceTest {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "squatting by another account needs root to make that account "
                            "and run as it; run this test as root";
        PresenceTest::SetUp();
        const std::optional<uid_t> uid = SquatterUid();
        ASSERT_TRUE(uid) << "could not make the account " << kSquatterName;
        squatter = *uid;
        // The other account must be able to walk down to the folders it squats.
        ASSERT_EQ(::chmod(QFile::encodeName(root.path()).constData(), 0711), 0);
    }
    // A folder of the other account with the given mode.
    void MakeForeignFolder(const QString& path, mode_t mode)
    {
        const QByteArray native = QFile::encodeName(path);
        ASSERT_EQ(::mkdir(native.constData(), 0700), 0);
        ASSERT_EQ(::chown(native.constData(), squatter, squatter), 0);
        ASSERT_EQ(::chmod(native.constData(), mode), 0);
    }
    uid_t squatter = 0;
};

TEST_F(PresenceSquatTest, RuntimeFolderOfAnotherAccountIsNotUsed)
{
    const QString theirs = root.path() + QStringLiteral("/theirs");
    MakeForeignFolder(theirs, 0700);
    ScopedEnv runtime("XDG_RUNTIME_DIR", theirs);
    Squatter s(squatter, theirs + QStringLiteral("/Velmaro.socket"));
    ASSERT_TRUE(s.Listening());
    EXPECT_FALSE(IsResidentRunning());
    EXPECT_EQ(PresenceFolder(), HomeFallback());
    PresenceMarker marker;
    EXPECT_TRUE(marker.Hold());
    EXPECT_TRUE(IsResidentRunning());
}

TEST_F(PresenceSquatTest, RuntimeFolderOthersMayWriteIsNotUsed)
{
    ASSERT_EQ(::chmod(QFile::encodeName(Runtime()).constData(), 0777), 0);
    Squatter s(squatter, Socket());
    ASSERT_TRUE(s.Listening());
    EXPECT_FALSE(IsResidentRunning());
    EXPECT_EQ(PresenceFolder(), HomeFallback());
}

// Made first by another account, the temporary folder's guessable name once meant no
// marker at all, and every editor start started another scheduler.
TEST_F(PresenceSquatTest, TemporaryFolderMadeFirstByAnotherAccountIsPassedBy)
{
    ScopedEnv unset("XDG_RUNTIME_DIR", QString());
    MakeForeignFolder(Fallback(), 0777);
    Squatter s(squatter, Fallback() + QStringLiteral("/Velmaro.socket"));
    ASSERT_TRUE(s.Listening());
    EXPECT_EQ(LookForResident(), ResidentPresence::NotRunning);
    {
        PresenceMarker marker;
        EXPECT_TRUE(marker.Hold());
        EXPECT_EQ(LookForResident(), ResidentPresence::Running);
        EXPECT_FALSE(PresenceMarker().Hold()) << "a second copy must see the first";
    }
    // With no home to fall back on either, nothing is held and the look says it cannot tell.
    const auto noHome = NoHome();
    EXPECT_EQ(PresenceFolder(), QString());
    EXPECT_EQ(LookForResident(), ResidentPresence::Unknown);
    PresenceMarker marker;
    EXPECT_FALSE(marker.Hold());
}

TEST_F(PresenceSquatTest, ListenerOfAnotherAccountInOurFolderDoesNotCountAndIsReplaced)
{
    Squatter s(squatter, Socket(), /*bindAsUs=*/true);
    ASSERT_TRUE(s.Listening());
    ASSERT_TRUE(IsSocketFile(Socket()));
    EXPECT_FALSE(IsResidentRunning());
    PresenceMarker marker;
    EXPECT_TRUE(marker.Hold());
    EXPECT_TRUE(IsResidentRunning());
}
