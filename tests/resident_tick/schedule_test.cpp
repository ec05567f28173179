// Due tests end to end through the reminder folder: what fires at which tick and what
// the file holds afterwards.
#include "tick_fixture.h"

TEST_F(TickTest, StartedAfterTheMomentFiresAtTheFirstTick)
{
    Put(QStringLiteral("Dentist"), LastProcIni(2026, 5, 3, 8, 0) + DateIni(2026, 5, 3, 10, 0, false));
    TickAt(2026, 5, 3, 11, 31);
    ASSERT_EQ(actions.Messages(), QStringList{"Dentist"});
    EXPECT_EQ(actions.fired[0].clockText, QStringLiteral("11:31 AM"));
    EXPECT_EQ(actions.fired[0].nowTime, QStringLiteral("1131"));
    EXPECT_EQ(actions.fired[0].todayName, QStringLiteral("SUNDAY"));
    EXPECT_EQ(LastProc(QStringLiteral("Dentist")), QStringLiteral("2026 5 3 23 59"));
    EXPECT_EQ(Int(QStringLiteral("Dentist"), "Date", "Year"), 2026);
    TickAt(2026, 5, 3, 11, 32);
    TickAt(2027, 5, 3, 11, 32);
    EXPECT_EQ(actions.fired.size(), 1);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(TickTest, YearlyOnNewYearsEveAtTheLastMinute)
{
    Put(QStringLiteral("Eve"), LastProcIni(2026, 1, 2, 10, 0) + DateIni(2026, 12, 31, 23, 59, true));
    TickAt(2026, 12, 31, 23, 58);
    EXPECT_TRUE(actions.fired.isEmpty());
    TickAt(2026, 12, 31, 23, 59);
    EXPECT_EQ(actions.fired.size(), 1);
    EXPECT_EQ(Int(QStringLiteral("Eve"), "Date", "Year"), 2027);
    EXPECT_EQ(LastProc(QStringLiteral("Eve")), QStringLiteral("2026 12 31 23 59"));
    TickAt(2027, 1, 1, 0, 0);
    TickAt(2027, 12, 31, 23, 58);
    EXPECT_EQ(actions.fired.size(), 1);
    TickAt(2027, 12, 31, 23, 59);
    EXPECT_EQ(actions.fired.size(), 2);
    EXPECT_EQ(Int(QStringLiteral("Eve"), "Date", "Year"), 2028);
}

TEST_F(TickTest, LeapDayInACommonYearFiresOnTheFirstOfMarch)
{
    Put(QStringLiteral("Leap"), LastProcIni(2026, 3, 1, 0, 0) + DateIni(2027, 2, 29, 9, 0, true));
    TickAt(2027, 2, 28, 23, 59);
    EXPECT_TRUE(actions.fired.isEmpty());
    TickAt(2027, 3, 1, 0, 0);
    EXPECT_EQ(actions.fired.size(), 1);
    EXPECT_EQ(Int(QStringLiteral("Leap"), "Date", "Year"), 2028);
    TickAt(2028, 2, 29, 8, 59);
    EXPECT_EQ(actions.fired.size(), 1);
    TickAt(2028, 2, 29, 9, 0);
    EXPECT_EQ(actions.fired.size(), 2);
}

TEST_F(TickTest, MonthlyDecemberMovesToJanuaryOfTheNextYear)
{
    Put(QStringLiteral("Rent"), LastProcIni(2026, 11, 20, 0, 0) + MonthlyIni(2026, 12, 15, 8, 0));
    TickAt(2026, 12, 15, 8, 0);
    EXPECT_EQ(actions.fired.size(), 1);
    EXPECT_EQ(Int(QStringLiteral("Rent"), "Monthly", "Year"), 2027);
    EXPECT_EQ(Int(QStringLiteral("Rent"), "Monthly", "Month"), 1);
    EXPECT_EQ(Int(QStringLiteral("Rent"), "Monthly", "Day"), 15);
    EXPECT_EQ(Int(QStringLiteral("Rent"), "Monthly", "Hr"), 8);
    TickAt(2027, 1, 15, 8, 0);
    EXPECT_EQ(actions.fired.size(), 2);
    EXPECT_EQ(Int(QStringLiteral("Rent"), "Monthly", "Month"), 2);
}

TEST_F(TickTest, MonthlyDay31InAThirtyDayMonthFiresOnTheFirstOfTheNext)
{
    Put(QStringLiteral("Day31"), LastProcIni(2026, 4, 1, 0, 0) + MonthlyIni(2026, 4, 31, 8, 0));
    TickAt(2026, 4, 30, 23, 59);
    EXPECT_TRUE(actions.fired.isEmpty());
    TickAt(2026, 5, 1, 0, 0);
    EXPECT_EQ(actions.fired.size(), 1);
    EXPECT_EQ(Int(QStringLiteral("Day31"), "Monthly", "Month"), 5);
    TickAt(2026, 5, 31, 8, 0);
    EXPECT_EQ(actions.fired.size(), 2);
}

TEST_F(TickTest, WeekdayCatchesUpOnceAndReturnsNextWeek)
{
    // 1 and 8 June 2026 are Mondays.
    Put(QStringLiteral("Standup"), LastProcIni(2026, 5, 29, 17, 0) + DaysIni(9, 0, QStringLiteral("Mon")));
    TickAt(2026, 6, 1, 11, 31);
    EXPECT_EQ(actions.fired.size(), 1);
    EXPECT_EQ(LastProc(QStringLiteral("Standup")), QStringLiteral("2026 6 1 23 59"));
    TickAt(2026, 6, 1, 11, 32);
    TickAt(2026, 6, 1, 23, 59);
    TickAt(2026, 6, 2, 9, 0); // Tuesday
    TickAt(2026, 6, 8, 8, 59);
    EXPECT_EQ(actions.fired.size(), 1);
    TickAt(2026, 6, 8, 9, 0);
    EXPECT_EQ(actions.fired.size(), 2);
}

TEST_F(TickTest, BothKindsDueFireOnceAndTheYearStillAdvances)
{
    Put(QStringLiteral("Both"), LastProcIni(2026, 5, 1, 0, 0) + DateIni(2026, 6, 1, 9, 0, true)
                                    + DaysIni(9, 0, QStringLiteral("Mon,Tue")));
    TickAt(2026, 6, 1, 9, 0);
    EXPECT_EQ(actions.fired.size(), 1);
    EXPECT_EQ(Int(QStringLiteral("Both"), "Date", "Year"), 2027);
    TickAt(2026, 6, 2, 9, 0);
    EXPECT_EQ(actions.fired.size(), 2);
    EXPECT_EQ(Int(QStringLiteral("Both"), "Date", "Year"), 2027);
}

TEST_F(TickTest, FileWithoutLastProcFiresAtItsFirstDueTick)
{
    Put(QStringLiteral("Fresh"), DaysIni(7, 30, QStringLiteral("Wed")));
    TickAt(2026, 6, 3, 7, 29);
    EXPECT_TRUE(actions.fired.isEmpty());
    TickAt(2026, 6, 3, 7, 30);
    EXPECT_EQ(actions.fired.size(), 1);
    EXPECT_EQ(LastProc(QStringLiteral("Fresh")), QStringLiteral("2026 6 3 23 59"));
}

TEST_F(TickTest, StampAndAdvanceLandTogetherAndOtherBytesStay)
{
    const QByteArray body = "; kept comment\r\n" + LastProcIni(2026, 3, 1, 0, 0)
                            + MonthlyIni(2026, 3, 15, 9, 0) + "[Extra]\r\nKey=value\r\n";
    Put(QStringLiteral("Late"), body);
    TickAt(2026, 4, 20, 9, 0);
    EXPECT_EQ(actions.fired.size(), 1);
    const QByteArray after = ReadAll(Path(QStringLiteral("Late")));
    EXPECT_TRUE(after.startsWith("; kept comment\r\n[LastProc]\nYR=2026\nMO=4\nDY=20\nHR=23\nMN=59\n"));
    EXPECT_TRUE(after.contains("[Monthly]\nCk=1\nYear=2026\nMonth=5\nDay=15\n"));
    EXPECT_TRUE(after.contains("[Extra]\r\nKey=value\r\n"));
    // Advanced past the stamp: it fires again on 15 May instead of never.
    TickAt(2026, 5, 15, 9, 0);
    EXPECT_EQ(actions.fired.size(), 2);
}

TEST_F(TickTest, CatchUpAfterDaysOffAndAClockJumpFiresEachOnce)
{
    Put(QStringLiteral("Once"), LastProcIni(2026, 5, 1, 0, 0) + DateIni(2026, 6, 2, 10, 0, false));
    Put(QStringLiteral("Weekly"), LastProcIni(2026, 5, 29, 0, 0) + DaysIni(9, 0, QStringLiteral("Mon,Tue,Wed")));
    Put(QStringLiteral("Monthly"), LastProcIni(2026, 5, 1, 0, 0) + MonthlyIni(2026, 6, 1, 10, 0));
    Put(QStringLiteral("Yearly"), LastProcIni(2020, 5, 1, 0, 0) + DateIni(2021, 6, 1, 10, 0, true));
    // Machine off from Friday to Thursday, then the clock jumps from 08:00 to 14:00.
    TickAt(2026, 6, 4, 8, 0);
    EXPECT_EQ(actions.fired.size(), 3);
    TickAt(2026, 6, 4, 14, 0);
    TickAt(2026, 6, 4, 14, 1);
    EXPECT_EQ(actions.fired.size(), 3);
    QStringList fired = actions.Messages();
    fired.sort();
    EXPECT_EQ(fired, (QStringList{"Monthly", "Once", "Yearly"}));
    EXPECT_EQ(Int(QStringLiteral("Yearly"), "Date", "Year"), 2027);
    EXPECT_EQ(Int(QStringLiteral("Monthly"), "Monthly", "Month"), 7);
    TickAt(2026, 6, 8, 9, 0); // Monday: the weekly one again
    EXPECT_EQ(actions.Messages().last(), QStringLiteral("Weekly"));
    EXPECT_EQ(actions.fired.size(), 4);
}

TEST_F(TickTest, YearlySavedAfterItsDateMovesOnWithoutFiringAndFiresNextYear)
{
    // A birthday on 3 August, saved on 10 August.
    Put(QStringLiteral("Birthday"), LastProcIni(2026, 8, 10, 14, 0) + DateIni(2026, 8, 3, 9, 0, true));
    TickAt(2026, 8, 10, 14, 1);
    EXPECT_TRUE(actions.fired.isEmpty());
    EXPECT_EQ(Int(QStringLiteral("Birthday"), "Date", "Year"), 2027);
    EXPECT_EQ(LastProc(QStringLiteral("Birthday")), QStringLiteral("2026 8 10 14 0"));
    TickAt(2027, 8, 3, 8, 59);
    EXPECT_TRUE(actions.fired.isEmpty());
    TickAt(2027, 8, 3, 9, 0);
    EXPECT_EQ(actions.Messages(), QStringList{"Birthday"});
    EXPECT_EQ(Int(QStringLiteral("Birthday"), "Date", "Year"), 2028);

    // A one-time date saved after its moment keeps quiet for good and is left as it is.
    Put(QStringLiteral("Once"), LastProcIni(2026, 8, 10, 14, 0) + DateIni(2026, 8, 3, 9, 0, false));
    const QByteArray once = ReadAll(Path(QStringLiteral("Once")));
    TickAt(2026, 8, 10, 14, 2);
    TickAt(2030, 8, 3, 9, 0);
    EXPECT_EQ(actions.Messages().count(QStringLiteral("Once")), 0);
    EXPECT_EQ(ReadAll(Path(QStringLiteral("Once"))), once);
}

TEST_F(TickTest, SaveThatWritesBackTheOldYearOverAFiringDoesNotKillTheReminder)
{
    Put(QStringLiteral("Anniversary"), LastProcIni(2026, 5, 1, 0, 0) + DateIni(2026, 8, 3, 9, 0, true));
    // Its Modify pages were opened before it fired; the save comes after the firing and
    // writes the year and the stamp of the pages.
    TickAt(2026, 8, 3, 9, 0);
    ASSERT_EQ(actions.fired.size(), 1);
    ASSERT_EQ(Int(QStringLiteral("Anniversary"), "Date", "Year"), 2027);
    WriteProfileStrings(Path(QStringLiteral("Anniversary")),
                        {{"Date", "Year", "2026"}, {"LastProc", "YR", "2026"}, {"LastProc", "MO", "8"},
                         {"LastProc", "DY", "3"}, {"LastProc", "HR", "9"}, {"LastProc", "MN", "20"}});
    TickAt(2026, 8, 3, 9, 21);
    TickAt(2026, 8, 3, 9, 22);
    EXPECT_EQ(actions.fired.size(), 1); // it fired today already
    EXPECT_EQ(Int(QStringLiteral("Anniversary"), "Date", "Year"), 2027);
    TickAt(2027, 8, 3, 9, 0);
    EXPECT_EQ(actions.fired.size(), 2);
}

TEST_F(TickTest, MonthlyAtOrBeforeItsStampMovesOnToItsNextMonth)
{
    // The 15th at 9:00, stamped on the 20th: either saved then, or written back by a save.
    Put(QStringLiteral("Rent"), LastProcIni(2026, 6, 20, 12, 0) + MonthlyIni(2026, 6, 15, 9, 0));
    // Stamped in the very minute of the moment.
    Put(QStringLiteral("Water"), LastProcIni(2026, 6, 15, 9, 0) + MonthlyIni(2025, 6, 15, 9, 0));
    TickAt(2026, 6, 20, 12, 1);
    EXPECT_TRUE(actions.fired.isEmpty());
    EXPECT_EQ(Int(QStringLiteral("Rent"), "Monthly", "Year") * 100 + Int(QStringLiteral("Rent"), "Monthly", "Month"), 202607);
    EXPECT_EQ(Int(QStringLiteral("Water"), "Monthly", "Year") * 100 + Int(QStringLiteral("Water"), "Monthly", "Month"), 202607);
    EXPECT_EQ(LastProc(QStringLiteral("Rent")), QStringLiteral("2026 6 20 12 0"));
    TickAt(2026, 7, 15, 9, 0);
    QStringList fired = actions.Messages();
    fired.sort();
    EXPECT_EQ(fired, (QStringList{"Rent", "Water"}));
    EXPECT_EQ(Int(QStringLiteral("Rent"), "Monthly", "Month"), 8);
}
