#include "tick.h"

#include "profile.h"

#include <gtest/gtest.h>

TEST(TickClockTexts, ClockTextAcrossTheDay)
{
    EXPECT_EQ(ClockText(0, 7), QStringLiteral("12:07 AM"));
    EXPECT_EQ(ClockText(12, 0), QStringLiteral("12:00 PM"));
    EXPECT_EQ(ClockText(13, 30), QStringLiteral("01:30 PM"));
    EXPECT_EQ(ClockText(9, 5), QStringLiteral("09:05 AM"));
    EXPECT_EQ(ClockText(0, 30), QStringLiteral("12:30 AM"));
    EXPECT_EQ(ClockText(17, 45), QStringLiteral("05:45 PM"));
    EXPECT_EQ(ClockText(11, 59), QStringLiteral("11:59 AM"));
    EXPECT_EQ(ClockText(23, 59), QStringLiteral("11:59 PM"));
}

TEST(TickClockTexts, StampsAndNamesOfOneMoment)
{
    const TickClock c = TickClock::FromDateTime(QDateTime(QDate(2026, 12, 8), QTime(3, 46, 17, 250)));
    EXPECT_EQ(c.NowStamp(), QStringLiteral("202612080346"));
    EXPECT_EQ(c.NowTime(), QStringLiteral("0346"));
    EXPECT_EQ(c.ClockText(), QStringLiteral("03:46 AM"));
    EXPECT_EQ(c.TodayName, QStringLiteral("TUESDAY"));
    EXPECT_EQ(c.DayOfWeek, 3);
    EXPECT_EQ(c.Second, 17);
    EXPECT_EQ(c.Millisecond, 250);

    const TickClock sunday = TickClock::FromDateTime(QDateTime(QDate(2026, 3, 29), QTime(12, 0)));
    EXPECT_EQ(sunday.DayOfWeek, 1);
    EXPECT_EQ(sunday.TodayName, QStringLiteral("SUNDAY"));
    const TickClock saturday = TickClock::FromDateTime(QDateTime(QDate(2026, 3, 28), QTime(12, 0)));
    EXPECT_EQ(saturday.DayOfWeek, 7);
    EXPECT_EQ(saturday.TodayName, QStringLiteral("SATURDAY"));
    EXPECT_EQ(DayNames(), (QStringList{"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"}));
}

namespace {

// The decision with the key writes that bring the file to it.
struct Evaluated : DueDecision {
    QList<ProfileKeyWrite> writes;
};

Evaluated Evaluate(const char* ini, const QDateTime& now)
{
    const TResidentSchedule read = ReadResidentSchedule(ProfileSnapshot::FromBytes(QByteArray(ini)));
    Evaluated e{EvaluateReminder(read, TickClock::FromDateTime(now)), {}};
    e.writes = ScheduleWrites(read, e.after);
    return e;
}

QDateTime At(int y, int mo, int d, int h, int mi) { return QDateTime(QDate(y, mo, d), QTime(h, mi)); }

QStringList Writes(const Evaluated& d)
{
    QStringList out;
    for (const ProfileKeyWrite& w : d.writes)
        out << w.section + QLatin1Char('/') + w.key + QLatin1Char('=') + w.value;
    return out;
}

} // namespace

TEST(DueEvaluation, SpecificDateNeedsMomentReachedAndStampBelow)
{
    const char* ini = "[LastProc]\nYR=2026\nMO=5\nDY=3\nHR=10\nMN=0\n"
                      "[Date]\nCk=1\nYear=2026\nMonth=5\nDay=3\nHr=10\nMin=0\n";
    // Saved in its own minute: the stamp equals the moment.
    EXPECT_FALSE(Evaluate(ini, At(2026, 5, 3, 10, 5)).due);

    const char* before = "[LastProc]\nYR=2026\nMO=5\nDY=3\nHR=9\nMN=58\n"
                         "[Date]\nCk=1\nYear=2026\nMonth=5\nDay=3\nHr=10\nMin=0\n";
    EXPECT_FALSE(Evaluate(before, At(2026, 5, 3, 9, 59)).due);
    const Evaluated late = Evaluate(before, At(2026, 5, 3, 11, 31));
    EXPECT_TRUE(late.due);
    EXPECT_EQ(Writes(late), (QStringList{"LastProc/YR=2026", "LastProc/MO=5", "LastProc/DY=3",
                                         "LastProc/HR=23", "LastProc/MN=59"}));
}

TEST(DueEvaluation, MissingKeysUseResidentDefaults)
{
    // No LastProc: 101010101 is below any four-digit-year moment.
    EXPECT_TRUE(Evaluate("[Date]\nck=2\nYEAR=2026\nMonth=1\nDay=1\nHr=0\nMin=0\n", At(2026, 1, 1, 0, 0)).due);
    // Ck that is not a number is false; no schedule section is never due.
    EXPECT_FALSE(Evaluate("[Date]\nCk=yes\nYear=2026\n", At(2026, 6, 1, 0, 0)).due);
    EXPECT_FALSE(Evaluate("[FrmMsg]\nW=500\nH=300\n", At(2026, 6, 1, 0, 0)).due);
    // A weekday reminder with no weekday ticked.
    EXPECT_FALSE(Evaluate("[Days]\nCk=1\nHr=0\nMin=0\n", At(2026, 6, 1, 12, 0)).due);
    // Hr present but empty: default 1, so 01:01 is the slot.
    const char* emptyHr = "[Days]\nCk=1\nMon=1\nHr=\nMin=\n";
    EXPECT_FALSE(Evaluate(emptyHr, At(2026, 6, 1, 1, 0)).due);
    EXPECT_TRUE(Evaluate(emptyHr, At(2026, 6, 1, 1, 1)).due);
}

TEST(DueEvaluation, AllThreeTestsRunAndEachWritesItsAdvance)
{
    const char* ini = "[LastProc]\nYR=2026\nMO=1\nDY=1\nHR=0\nMN=0\n"
                      "[Date]\nCk=1\nYear=2026\nMonth=6\nDay=1\nHr=9\nMin=0\nRepeat=1\n"
                      "[Days]\nCk=1\nMon=1\nHr=9\nMin=0\n"
                      "[Monthly]\nCk=1\nYear=2026\nMonth=6\nDay=1\nHr=8\nMin=0\n";
    const Evaluated d = Evaluate(ini, At(2026, 6, 1, 9, 0)); // a Monday
    EXPECT_TRUE(d.due);
    EXPECT_EQ(Writes(d), (QStringList{"Date/Year=2027", "Monthly/Year=2026", "Monthly/Month=7",
                                      "LastProc/YR=2026", "LastProc/MO=6", "LastProc/DY=1",
                                      "LastProc/HR=23", "LastProc/MN=59"}));
}

TEST(DueEvaluation, LateFiringAdvancesPastTheStamp)
{
    // A 1 May yearly reminder first seen on 1 June of the next year moves to the year after.
    const Evaluated yearly = Evaluate("[LastProc]\nYR=2025\nMO=4\nDY=1\nHR=0\nMN=0\n"
                                        "[Date]\nCk=1\nYear=2025\nMonth=5\nDay=1\nHr=9\nMin=0\nRepeat=1\n",
                                        At(2026, 6, 1, 9, 0));
    EXPECT_EQ(Writes(yearly).first(), QStringLiteral("Date/Year=2027"));
    // The 15th of March, first seen on 20 April: the next one is 15 May.
    const Evaluated monthly = Evaluate("[LastProc]\nYR=2026\nMO=3\nDY=1\nHR=0\nMN=0\n"
                                         "[Monthly]\nCk=1\nYear=2026\nMonth=3\nDay=15\nHr=9\nMin=0\n",
                                         At(2026, 4, 20, 9, 0));
    EXPECT_EQ(Writes(monthly).mid(0, 2), (QStringList{"Monthly/Year=2026", "Monthly/Month=5"}));
    // Off for years, seen before this month's day: this month's day is next.
    const Evaluated years = Evaluate("[Monthly]\nCk=1\nYear=2023\nMonth=11\nDay=15\nHr=9\nMin=0\n",
                                       At(2026, 6, 10, 9, 0));
    EXPECT_EQ(Writes(years).mid(0, 2), (QStringList{"Monthly/Year=2026", "Monthly/Month=6"}));
    // The same moment on the 15th itself: the stamp 23:59 is later, so July.
    const Evaluated sameDay = Evaluate("[Monthly]\nCk=1\nYear=2023\nMonth=11\nDay=15\nHr=9\nMin=0\n",
                                         At(2026, 6, 15, 9, 0));
    EXPECT_EQ(Writes(sameDay).mid(0, 2), (QStringList{"Monthly/Year=2026", "Monthly/Month=7"}));
}

TEST(DueEvaluation, HandEditedExtremesStayBoundedAndWritable)
{
    // Values near the integer limits or far from real dates neither overflow nor loop.
    const char* cases[] = {
        "[Monthly]\nCk=1\nYear=2147483647\nMonth=2147483647\nDay=1\nHr=0\nMin=0\n",
        "[Monthly]\nCk=1\nYear=-5\nMonth=-7\nDay=-1\nHr=-1\nMin=-1\n",
        "[Monthly]\nCk=1\nYear=1\nMonth=0\nDay=99\nHr=99\nMin=99\n",
        "[Date]\nCk=1\nYear=1\nMonth=2\nDay=1\nHr=1\nMin=1\nRepeat=1\n",
        "[Date]\nCk=1\nYear=0x7fffffff\nMonth=1\nDay=1\nHr=1\nMin=1\nRepeat=1\n",
        "[Date]\nCk=1\nYear=-2147483648\nMonth=1\nDay=1\nHr=1\nMin=1\nRepeat=1\n",
    };
    for (const char* ini : cases) {
        const Evaluated d = Evaluate(ini, At(2026, 6, 15, 12, 0));
        for (const ProfileKeyWrite& w : d.writes)
            EXPECT_TRUE(ParseProfileInteger(w.value).has_value()) << ini << " wrote " << w.value.toStdString();
        if (!d.due)
            continue;
        // Once written back, the same file does not fire again in the same day.
        const std::optional<QByteArray> after = ApplyProfileWrites(QByteArray(ini), d.writes);
        ASSERT_TRUE(after.has_value());
        EXPECT_FALSE(EvaluateReminder(ReadResidentSchedule(ProfileSnapshot::FromBytes(*after)),
                                      TickClock::FromDateTime(At(2026, 6, 15, 23, 59))).due) << ini;
    }
}

TEST(DueEvaluation, MovingOnWritesOnlyTheScheduleAndStaysWithinRealYears)
{
    // Saved after the date: the year moves on, the save's stamp stays.
    const Evaluated yearly = Evaluate("[LastProc]\nYR=2026\nMO=8\nDY=10\nHR=14\nMN=0\n"
                                        "[Date]\nCk=1\nYear=2024\nMonth=8\nDay=3\nHr=9\nMin=0\nRepeat=1\n",
                                        At(2026, 8, 10, 14, 1));
    EXPECT_FALSE(yearly.due);
    EXPECT_EQ(Writes(yearly), QStringList{"Date/Year=2027"});
    // Off since long before the stamp's day: the first moment after the stamp has passed
    // too, so it fires now and moves past today.
    const Evaluated catchUp = Evaluate("[LastProc]\nYR=2025\nMO=8\nDY=10\nHR=14\nMN=0\n"
                                         "[Date]\nCk=1\nYear=2025\nMonth=8\nDay=3\nHr=9\nMin=0\nRepeat=1\n",
                                         At(2026, 9, 1, 9, 0));
    EXPECT_TRUE(catchUp.due);
    EXPECT_EQ(Writes(catchUp).value(0), QStringLiteral("Date/Year=2027"));
    // Values whose text order is no time order are left alone.
    EXPECT_TRUE(Evaluate("[LastProc]\nYR=2026\nMO=8\nDY=10\nHR=14\nMN=0\n"
                         "[Monthly]\nCk=1\nDay=15\nHr=9\nMin=0\n", At(2026, 8, 10, 14, 1)).writes.isEmpty());
    EXPECT_TRUE(Evaluate("[LastProc]\nYR=2026\nMO=8\nDY=10\nHR=14\nMN=0\n"
                         "[Date]\nCk=1\nYear=100\nMonth=8\nDay=3\nHr=9\nMin=0\nRepeat=1\n", At(2026, 8, 10, 14, 1)).writes.isEmpty());
}
