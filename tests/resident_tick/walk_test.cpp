// The walk of the folder: stopping, files that cannot be written, files that are not
// reminders, and the clock around daylight-saving changes.
#include "tick_fixture.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cstdio>
#include <csignal>
#include <ctime>
#ifndef Q_OS_WIN
#include <sys/resource.h>
#include <unistd.h>
#endif

TEST_F(TickTest, WalkStopsWhenTheTimerIsSwitchedOff)
{
    for (const char* name : {"A", "B", "C"})
        Put(QLatin1String(name), DaysIni(9, 0, QStringLiteral("Mon")));
    actions.onPerform = [this](const Fired&) { Timer1.stop(); };
    TickAt(2026, 6, 1, 9, 0);
    ASSERT_EQ(actions.fired.size(), 1);
    const QString first = actions.fired[0].msg;

    // The entries not yet visited wait for the next tick; the fired one does not repeat.
    actions.onPerform = nullptr;
    Timer1.start();
    TickAt(2026, 6, 1, 9, 1);
    EXPECT_EQ(actions.fired.size(), 3);
    EXPECT_EQ(actions.Messages().count(first), 1);
}

TEST_F(TickTest, UnwritableFileFiresOncePerDueDayAndTellsOncePerDay)
{
    Put(QStringLiteral("Locked"), DaysIni(9, 0, QStringLiteral("Mon")));
    Put(QStringLiteral("Open1"), DaysIni(9, 0, QStringLiteral("Mon")));
    Put(QStringLiteral("Open2"), DaysIni(9, 0, QStringLiteral("Mon")));
    const QString locked = Path(QStringLiteral("Locked"));
    const QByteArray before = ReadAll(locked);
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner));
    const ShownMessage error{QStringLiteral("raised"), QStringLiteral("Unable to write to ") + locked + QLatin1Char('.')};

    // Ticks that begin inside its actions or inside the error box neither fire it again
    // nor show the box again.
    int nested = 0;
    actions.onPerform = [this, &nested](const Fired& f) {
        if (f.msg == QLatin1String("Locked") && nested++ == 0)
            TickAt(2026, 6, 1, 9, 0);
    };
    messages.onShow = [this](const ShownMessage&) { TickAt(2026, 6, 1, 9, 0); };
    TickAt(2026, 6, 1, 9, 0);
    actions.onPerform = nullptr;
    messages.onShow = nullptr;
    EXPECT_EQ(messages.shown, QList<ShownMessage>{error});
    QStringList fired = actions.Messages();
    fired.sort();
    EXPECT_EQ(fired, (QStringList{"Locked", "Open1", "Open2"}));
    EXPECT_EQ(ReadAll(locked), before);

    // The day's stamp is kept in memory: quiet for the rest of the day.
    TickAt(2026, 6, 1, 9, 1);
    TickAt(2026, 6, 1, 23, 59);
    TickAt(2026, 6, 2, 9, 0);
    EXPECT_EQ(actions.fired.size(), 3);
    EXPECT_EQ(messages.shown.size(), 1);

    // Its next due day it fires again, and the error is told again, once.
    TickAt(2026, 6, 8, 9, 0);
    TickAt(2026, 6, 8, 9, 1);
    EXPECT_EQ(actions.Messages().count(QStringLiteral("Locked")), 2);
    EXPECT_EQ(messages.shown, (QList<ShownMessage>{error, error}));

    // Writable again: the next firing lands in the file.
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner));
    TickAt(2026, 6, 15, 9, 0);
    EXPECT_EQ(actions.Messages().count(QStringLiteral("Locked")), 3);
    EXPECT_EQ(LastProc(QStringLiteral("Locked")), QStringLiteral("2026 6 15 23 59"));
    EXPECT_EQ(messages.shown.size(), 2);
}

// A file size limit stands in for a full disk, and names run to the 255 bytes of a Linux
// file system.
#ifndef Q_OS_WIN
TEST_F(TickTest, FullDiskAndOverlongNamesStillFireAndKeepTheAdvance)
{
    // The longest name the folder takes leaves no room for the temporary file of a write.
    const QString longName = QString(251, QLatin1Char('n'));
    Put(longName, LastProcIni(2026, 6, 1, 0, 0) + MonthlyIni(2026, 6, 15, 9, 0));
    ASSERT_TRUE(QFileInfo::exists(Path(longName)));
    TickAt(2026, 6, 15, 9, 0);
    TickAt(2026, 6, 15, 9, 1);
    EXPECT_EQ(actions.Messages(), QStringList{longName});
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Unable to write to ") + Path(longName) + QLatin1Char('.'));
    EXPECT_EQ(Int(longName, "Monthly", "Month"), 6);
    // The month's advance is kept with the stamp: next month, not every day from now on.
    TickAt(2026, 6, 16, 9, 0);
    TickAt(2026, 7, 14, 9, 0);
    EXPECT_EQ(actions.fired.size(), 1);
    TickAt(2026, 7, 15, 9, 0);
    EXPECT_EQ(actions.fired.size(), 2);
    EXPECT_EQ(messages.shown.size(), 2);

    // A full disk: no byte of the new content can be written.
    Put(QStringLiteral("Full"), LastProcIni(2026, 6, 1, 0, 0) + DateIni(2026, 8, 3, 9, 0, true));
    struct sigaction ignore = {}, old = {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &old), 0);
    rlimit limit{}, saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    limit = saved;
    limit.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    TickAt(2026, 8, 3, 9, 0);
    TickAt(2026, 8, 3, 9, 1);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::sigaction(SIGXFSZ, &old, nullptr);
    EXPECT_EQ(actions.Messages().count(QStringLiteral("Full")), 1);
    EXPECT_EQ(messages.shown.size(), 3);
    EXPECT_EQ(Int(QStringLiteral("Full"), "Date", "Year"), 2026);
    // Room again: the next tick writes the year it kept, without a word.
    TickAt(2026, 8, 4, 9, 0);
    EXPECT_EQ(Int(QStringLiteral("Full"), "Date", "Year"), 2027);
    EXPECT_EQ(messages.shown.size(), 3);
    TickAt(2027, 8, 3, 9, 0);
    EXPECT_EQ(actions.Messages().count(QStringLiteral("Full")), 2);
    EXPECT_EQ(Int(QStringLiteral("Full"), "Date", "Year"), 2028);
    EXPECT_EQ(LastProc(QStringLiteral("Full")), QStringLiteral("2027 8 3 23 59"));
}
#endif

TEST_F(TickTest, UnwritableFileKeepsItsDayAcrossRestartsUntilItCanBeWritten)
{
    Put(QStringLiteral("Yearly"), LastProcIni(2026, 1, 1, 0, 0) + DateIni(2026, 8, 3, 9, 0, true));
    const QString path = Path(QStringLiteral("Yearly"));
    const QString state = xdg.StateHome() + QStringLiteral("/Velmaro/unwritten.ini");
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner));
    TickAt(2026, 8, 3, 9, 0);
    ASSERT_EQ(actions.fired.size(), 1);
    ASSERT_EQ(messages.shown.size(), 1);
#ifdef Q_OS_WIN
    EXPECT_TRUE(ReadAll(state).contains("Y%00e%00a%00r%00l%00y%00.%00i%00n%00i%00")); // UTF-16
#else
    EXPECT_TRUE(ReadAll(state).contains("/Yearly.ini"));
#endif

    // Started again the same day (a new log-in), and the next day: no second firing, no
    // second box.
    Restart();
    TickAt(2026, 8, 3, 9, 1);
    Restart();
    TickAt(2026, 8, 4, 9, 0);
    EXPECT_EQ(actions.fired.size(), 1);
    EXPECT_EQ(messages.shown.size(), 1);

    // Writable again: the kept stamp and year land in the file without a word, and the
    // state file lets the reminder go.
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    TickAt(2026, 8, 4, 9, 1);
    EXPECT_EQ(Int(QStringLiteral("Yearly"), "Date", "Year"), 2027);
    EXPECT_EQ(LastProc(QStringLiteral("Yearly")), QStringLiteral("2026 8 3 23 59"));
    EXPECT_EQ(messages.shown.size(), 1);
    EXPECT_FALSE(ReadAll(state).contains("Yearly"));

    // A mangled state file is no state, and no obstacle.
    WriteAll(state, "[Kept1]\nFile=%zz\nRead=1 x\n\xff[\n");
    Restart();
    TickAt(2027, 8, 3, 9, 0);
    EXPECT_EQ(actions.fired.size(), 2);
    EXPECT_EQ(Int(QStringLiteral("Yearly"), "Date", "Year"), 2028);
}

TEST_F(TickTest, FileKeptByATickInsideABoxStaysKept)
{
    // While a box of the first reminder is open, a read-only one appears and a tick comes.
    Put(QStringLiteral("First"), DaysIni(9, 0, QStringLiteral("Mon")));
    actions.onPerform = [this](const Fired& f) {
        if (f.msg != QLatin1String("First"))
            return;
        Put(QStringLiteral("Late"), DaysIni(9, 0, QStringLiteral("Mon")));
        ASSERT_TRUE(QFile::setPermissions(Path(QStringLiteral("Late")), QFile::ReadOwner));
        TickAt(2026, 6, 1, 9, 1);
    };
    TickAt(2026, 6, 1, 9, 0);
    actions.onPerform = nullptr;
    TickAt(2026, 6, 1, 9, 2);
    EXPECT_EQ(actions.Messages(), (QStringList{"First", "Late"}));
    EXPECT_EQ(messages.shown.size(), 1);
}

TEST_F(TickTest, FileChangedAfterAFailedWriteSpeaksForItself)
{
    Put(QStringLiteral("Pill"), DaysIni(9, 0, QStringLiteral("Mon")));
    const QString path = Path(QStringLiteral("Pill"));
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner));
    TickAt(2026, 6, 1, 9, 0);
    EXPECT_EQ(actions.fired.size(), 1);
    // Saved again by the editor for later the same day: its own stamp counts again.
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    WriteAll(path, LastProcIni(2026, 6, 1, 9, 30) + DaysIni(10, 0, QStringLiteral("Mon")) + MsgIni("Pill"));
    TickAt(2026, 6, 1, 10, 0);
    EXPECT_EQ(actions.fired.size(), 2);
    EXPECT_EQ(LastProc(QStringLiteral("Pill")), QStringLiteral("2026 6 1 23 59"));
}

TEST_F(TickTest, WhateverLiesInTheFolderNeitherCrashesNorFires)
{
    QRandomGenerator random(7);
    QByteArray binary(64 * 1024, '\0');
    for (char& c : binary)
        c = char(random.bounded(256));
    WriteAll(Path(QStringLiteral("binary")), binary);
    WriteAll(Path(QStringLiteral("garbage")), "[[[Date\nCk=1=1\n]]\n\xff\xfe[Days]Ck=1\n=\n[\n");
    WriteAll(Path(QStringLiteral("nul")), QByteArray("[Date]\0Ck=1\nYear=2000\n", 22));
    WriteAll(Path(QStringLiteral("long")), "[Date]\nCk=1\nYear=" + QByteArray(100000, '9') + "\n");
    QByteArray huge = "[Date]\nCk=0\nYear=2000\n[Pad]\n";
    while (huge.size() < 8 * 1024 * 1024)
        huge += "Key=" + QByteArray(1000, 'x') + "\n[" + QByteArray(200, ']') + "\n";
    WriteAll(Path(QStringLiteral("huge")), huge);
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("folder"))));
#ifndef Q_OS_WIN
    if (::geteuid() != 0) { // root reads it anyway
        WriteAll(Path(QStringLiteral("unreadable")), DateIni(2000, 1, 1, 1, 1, false));
        QFile::setPermissions(Path(QStringLiteral("unreadable")), QFile::Permissions());
    }
#endif
    WriteAll(xdg.Folder() + QStringLiteral("/Velmaro6.ini"), "[FrmFirst]\nW=600\nH=500\n");
    Put(QStringLiteral("Real"), DaysIni(9, 0, QStringLiteral("Mon")));

    TickAt(2026, 6, 1, 9, 0);
    TickAt(2026, 6, 1, 9, 1);
    EXPECT_EQ(actions.Messages(), QStringList{"Real"});
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("folder"))).isDir());
}

// A folder that cannot be read for a while (a network home that dropped out) tells nothing
// of which reminders are gone: what a read-only one could not take stays kept, or it would
// fire again once the folder is back.
TEST_F(TickTest, UnreadableFolderForgetsNothingKept)
{
    Put(QStringLiteral("Pill"), DaysIni(9, 0, QStringLiteral("Mon")));
    ASSERT_TRUE(QFile::setPermissions(Path(QStringLiteral("Pill")), QFile::ReadOwner));
    TickAt(2026, 6, 1, 9, 0);
    ASSERT_EQ(actions.fired.size(), 1);
    const QString away = xdg.Folder() + QStringLiteral(".away");
    ASSERT_TRUE(QDir().rename(xdg.Folder(), away));
    WriteAll(xdg.Folder(), "a file where the folder should be");
    TickAt(2026, 6, 1, 9, 1);
    ASSERT_TRUE(QFile::remove(xdg.Folder()) && QDir().rename(away, xdg.Folder()));
    TickAt(2026, 6, 1, 9, 2);
    EXPECT_EQ(actions.fired.size(), 1);
    EXPECT_EQ(messages.shown.size(), 1);
}

TEST_F(TickTest, MissingOrEmptyFolderEndsTheTickQuietly)
{
    TickAt(2026, 6, 1, 9, 0);
    ASSERT_TRUE(QDir(xdg.Folder()).removeRecursively());
    TickAt(2026, 6, 1, 9, 1);
    EXPECT_TRUE(actions.fired.isEmpty());
    EXPECT_TRUE(messages.shown.isEmpty());
}

// The zone is set through TZ, which Windows reads without the rules of a named zone.
#ifndef Q_OS_WIN
namespace {

// Local time in one zone for the length of a test.
class ZoneGuard {
public:
    explicit ZoneGuard(const char* zone) : had_(qEnvironmentVariableIsSet("TZ")), old_(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~ZoneGuard()
    {
        if (had_)
            qputenv("TZ", old_);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    bool had_;
    QByteArray old_;
};

QDateTime Utc(int y, int mo, int d, int h, int mi)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi), Qt::UTC).toLocalTime();
}

} // namespace

TEST_F(TickTest, SpringGapFiresOnceAtTheFirstTickAfterIt)
{
    ZoneGuard zone("Europe/Berlin");
    // 29 March 2026: 02:00 CET jumps to 03:00 CEST; 02:30 never happens.
    Put(QStringLiteral("Gap"), LastProcIni(2026, 3, 28, 12, 0) + DaysIni(2, 30, QStringLiteral("Sun")));
    QStringList times;
    actions.onPerform = [&times](const Fired& f) { times << f.nowTime; };
    TickEveryMinute(Utc(2026, 3, 28, 23, 0), Utc(2026, 3, 29, 4, 0));
    EXPECT_EQ(times, QStringList{"0300"});
}

TEST_F(TickTest, RepeatedAutumnHourFiresOnce)
{
    ZoneGuard zone("Europe/Berlin");
    // 25 October 2026: 03:00 CEST goes back to 02:00 CET; 02:30 happens twice.
    Put(QStringLiteral("Twice"), LastProcIni(2026, 10, 24, 12, 0) + DaysIni(2, 30, QStringLiteral("Sun")));
    QStringList times;
    actions.onPerform = [&times](const Fired& f) { times << f.nowTime; };
    TickEveryMinute(Utc(2026, 10, 24, 22, 0), Utc(2026, 10, 25, 4, 0));
    EXPECT_EQ(times, QStringList{"0230"});
    EXPECT_EQ(LastProc(QStringLiteral("Twice")), QStringLiteral("2026 10 25 23 59"));
}

#endif

#ifndef Q_OS_WIN // names are bytes only on Linux
TEST_F(TickTest, FileNamedInTheWindowsCodePageFires)
{
    // Unpacked from an archive made on Windows: the name is not UTF-8. Beside it a UTF-8
    // name that decodes alike: each fires from and is stamped in its own file.
    const QByteArray native = QFile::encodeName(xdg.Folder()) + "/Caf\xE9.ini";
    WriteNative(native, DaysIni(9, 0, QStringLiteral("Mon")) + MsgIni(QStringLiteral("coffee")));
    Put(QString::fromUtf8("Café"), DaysIni(9, 0, QStringLiteral("Mon")));

    TickAt(2026, 6, 1, 9, 0);
    QStringList fired = actions.Messages();
    fired.sort();
    EXPECT_EQ(fired, (QStringList{QString::fromUtf8("Café"), QStringLiteral("coffee")}));
    EXPECT_TRUE(messages.shown.isEmpty());
    // Stamped in the same files, so neither fires again that day.
    TickAt(2026, 6, 1, 9, 1);
    EXPECT_EQ(actions.fired.size(), 2);
    EXPECT_EQ(ReminderFolderEntries(xdg.Folder()).value_or(QStringList()).size(), 2);
    const QByteArray stamp = "[LastProc]\nYR=2026\nMO=6\nDY=1\nHR=23\nMN=59\n";
    EXPECT_TRUE(ReadNative(native).endsWith("Msg=coffee\nOpen=\nMP3=\n" + stamp));
    EXPECT_TRUE(ReadAll(Path(QString::fromUtf8("Café"))).endsWith(QString::fromUtf8("Msg=Café\nOpen=\nMP3=\n").toUtf8() + stamp));
    ::unlink(native.constData()); // Qt cannot name it to clean up the folder
}
#endif
