// The walk of the folder: stopping, files that cannot be written, files that are not
// reminders, and the clock around daylight-saving changes.
#include "tick_fixture.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cstdio>
#include <ctime>
#include <unistd.h>

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

TEST_F(TickTest, UnwritableFileIsReportedOnceAndTheOthersStillRun)
{
    Put(QStringLiteral("Locked"), DaysIni(9, 0, QStringLiteral("Mon")));
    Put(QStringLiteral("Open1"), DaysIni(9, 0, QStringLiteral("Mon")));
    Put(QStringLiteral("Open2"), DaysIni(9, 0, QStringLiteral("Mon")));
    const QString locked = Path(QStringLiteral("Locked"));
    const QByteArray before = ReadAll(locked);
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner));

    // A tick that begins inside the error box must not show the box a second time.
    int nested = 0;
    messages.onShow = [this, &nested](const ShownMessage&) {
        if (nested++ == 0)
            TickAt(2026, 6, 1, 9, 0);
    };
    TickAt(2026, 6, 1, 9, 0);
    messages.onShow = nullptr;
    EXPECT_EQ(messages.shown, (QList<ShownMessage>{{QStringLiteral("raised"),
                                                    QStringLiteral("Unable to write to ") + locked + QLatin1Char('.')}}));
    QStringList fired = actions.Messages();
    fired.sort();
    EXPECT_EQ(fired, (QStringList{"Open1", "Open2"}));
    EXPECT_EQ(ReadAll(locked), before); // neither stamped nor advanced

    TickAt(2026, 6, 1, 9, 1);
    TickAt(2026, 6, 1, 9, 2);
    EXPECT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(actions.fired.size(), 2);

    // Writable again: it fires, and a later failure is reported afresh.
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner));
    TickAt(2026, 6, 1, 9, 3);
    EXPECT_EQ(actions.Messages().last(), QStringLiteral("Locked"));
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner));
    TickAt(2026, 6, 8, 9, 0);
    EXPECT_EQ(messages.shown.size(), 2);
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
    if (::geteuid() != 0) { // root reads it anyway
        WriteAll(Path(QStringLiteral("unreadable")), DateIni(2000, 1, 1, 1, 1, false));
        QFile::setPermissions(Path(QStringLiteral("unreadable")), QFile::Permissions());
    }
    WriteAll(xdg.Folder() + QStringLiteral("/Velmaro6.ini"), "[FrmFirst]\nW=600\nH=500\n");
    Put(QStringLiteral("Real"), DaysIni(9, 0, QStringLiteral("Mon")));

    TickAt(2026, 6, 1, 9, 0);
    TickAt(2026, 6, 1, 9, 1);
    EXPECT_EQ(actions.Messages(), QStringList{"Real"});
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("folder"))).isDir());
}

TEST_F(TickTest, MissingOrEmptyFolderEndsTheTickQuietly)
{
    TickAt(2026, 6, 1, 9, 0);
    ASSERT_TRUE(QDir(xdg.Folder()).removeRecursively());
    TickAt(2026, 6, 1, 9, 1);
    EXPECT_TRUE(actions.fired.isEmpty());
    EXPECT_TRUE(messages.shown.isEmpty());
}

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

TEST_F(TickTest, FileNamedInTheWindowsCodePageFires)
{
    // Unpacked from an archive made on Windows: the name is not UTF-8.
    const QByteArray native = QFile::encodeName(xdg.Folder()) + "/Caf\xE9.ini";
    QFile file;
    std::FILE* out = std::fopen(native.constData(), "wb");
    ASSERT_TRUE(out);
    const QByteArray body = DaysIni(9, 0, QStringLiteral("Mon")) + MsgIni(QStringLiteral("coffee"));
    std::fwrite(body.constData(), 1, size_t(body.size()), out);
    std::fclose(out);

    TickAt(2026, 6, 1, 9, 0);
    EXPECT_EQ(actions.Messages(), QStringList{QStringLiteral("coffee")});
    EXPECT_TRUE(messages.shown.isEmpty());
    // Stamped in the same file, so it does not fire again that day.
    TickAt(2026, 6, 1, 9, 1);
    EXPECT_EQ(actions.fired.size(), 1);
    EXPECT_EQ(ReminderFolderEntries(xdg.Folder()).size(), 1);
    std::FILE* in = std::fopen(native.constData(), "rb");
    ASSERT_TRUE(in);
    ASSERT_TRUE(file.open(in, QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().endsWith("[LastProc]\nYR=2026\nMO=6\nDY=1\nHR=23\nMN=59\n"));
    file.close();
    std::fclose(in);
    ::unlink(native.constData()); // Qt cannot name it to clean up the folder
}
