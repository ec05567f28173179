#pragma once
// A reminder folder in a temporary home, a fake clock and actions that record what fired.

#include "fakes.h"
#include "folder.h"
#include "profile.h"
#include "tempenv.h"
#include "tick.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

struct Fired {
    QString msg;
    QString clockText;
    QString nowTime;
    QString todayName;
};

class RecordingActions : public IReminderActions {
public:
    void PerformActions(const TReminderActions& reminder, const QString& clockText,
                        const QString& nowTime, const QString& todayName) override
    {
        fired.append({reminder.Msg, clockText, nowTime, todayName});
        if (onPerform)
            onPerform(fired.back());
    }
    QStringList Messages() const
    {
        QStringList out;
        for (const Fired& f : fired)
            out << f.msg;
        return out;
    }
    QList<Fired> fired;
    std::function<void(const Fired&)> onPerform;
};

// INI text builders; each reminder carries its name as its message.
inline QByteArray LastProcIni(int y, int mo, int d, int h, int mi)
{
    return QStringLiteral("[LastProc]\nYR=%1\nMO=%2\nDY=%3\nHR=%4\nMN=%5\nAM=1\nPM=0\n")
        .arg(y).arg(mo).arg(d).arg(h).arg(mi).toUtf8();
}
inline QByteArray DateIni(int y, int mo, int d, int h, int mi, bool repeat)
{
    return QStringLiteral("[Date]\nCk=1\nYear=%1\nMonth=%2\nDay=%3\nHr=%4\nMin=%5\nRepeat=%6\n")
        .arg(y).arg(mo).arg(d).arg(h).arg(mi).arg(repeat ? 1 : 0).toUtf8();
}
// days: e.g. "Mon,Fri"
inline QByteArray DaysIni(int h, int mi, const QString& days)
{
    QString text = QStringLiteral("[Days]\nCk=1\n");
    for (const char* d : {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"})
        text += QStringLiteral("%1=%2\n").arg(QLatin1String(d)).arg(days.contains(QLatin1String(d)) ? 1 : 0);
    text += QStringLiteral("Year=2005\nMonth=1\nDay=1\nHr=%1\nMin=%2\n").arg(h).arg(mi);
    return text.toUtf8();
}
inline QByteArray MonthlyIni(int y, int mo, int d, int h, int mi)
{
    return QStringLiteral("[Monthly]\nCk=1\nYear=%1\nMonth=%2\nDay=%3\nHr=%4\nMin=%5\n")
        .arg(y).arg(mo).arg(d).arg(h).arg(mi).toUtf8();
}
inline QByteArray MsgIni(const QString& msg)
{
    return (QStringLiteral("[Display]\nCk=1\n[Reminder]\nMsg=") + msg + QStringLiteral("\nOpen=\nMP3=\n")).toUtf8();
}

class TickTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(InitReminderFolder(xdg.Folders()));
        Timer1.setInterval(60000);
        Timer1.start();
        Restart();
    }
    // A new start of the scheduler in the same folders: it knows only what it finds there.
    void Restart()
    {
        ticker.reset();
        ticker.emplace(clock, messages, actions, [this] { return Timer1.isActive(); },
                       UnwrittenTable::DefaultStateFile(xdg.Folders()));
    }

    QString Path(const QString& name) const { return xdg.Folder() + QLatin1Char('/') + name + QStringLiteral(".ini"); }
    void Put(const QString& name, const QByteArray& body) { WriteAll(Path(name), body + MsgIni(name)); }
    ProfileSnapshot Read(const QString& name) const { return ProfileSnapshot::Read(Path(name)); }
    int Int(const QString& name, const char* section, const char* key) const
    {
        return Read(name).ReadInteger(QLatin1String(section), QLatin1String(key), -999);
    }
    QString LastProc(const QString& name) const
    {
        const ProfileSnapshot f = Read(name);
        QStringList parts;
        for (const char* k : {"YR", "MO", "DY", "HR", "MN"})
            parts << QString::number(f.ReadInteger(QStringLiteral("LastProc"), QLatin1String(k), -1));
        return parts.join(QLatin1Char(' '));
    }
    void TickAt(int y, int mo, int d, int h, int mi)
    {
        clock.Set(y, mo, d, h, mi);
        ticker->Timer1Timer();
    }
    // Ticks every minute from the first moment up to and including the last.
    void TickEveryMinute(const QDateTime& from, const QDateTime& to)
    {
        for (QDateTime t = from; t <= to; t = t.addSecs(60)) {
            clock.Set(t);
            ticker->Timer1Timer();
        }
    }

    TempXdg xdg;
    FakeClock clock;
    FakeMessages messages;
    RecordingActions actions;
    QTimer Timer1;
    std::optional<ReminderTicker> ticker;
};
