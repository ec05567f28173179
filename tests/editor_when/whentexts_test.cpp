// The schedule page's decisions without a window: texts, calendar steps, field values.
#include "whentexts.h"

#include <gtest/gtest.h>

namespace {

TEST(WhenTexts, TimeOfDayIn24And12HourForm)
{
    const struct {
        int h, m;
        const char* h24;
        const char* h12;
    } cases[] = {{0, 5, "0:05", "12:05 AM"},   {12, 0, "12:00", "12:00 PM"},
                 {23, 59, "23:59", "11:59 PM"}, {9, 7, "9:07", "9:07 AM"},
                 {0, 0, "0:00", "12:00 AM"},   {13, 5, "13:05", "1:05 PM"},
                 {11, 59, "11:59", "11:59 AM"}, {12, 30, "12:30", "12:30 PM"},
                 {1, 10, "1:10", "1:10 AM"}};
    for (const auto& c : cases) {
        const TTimeTexts t = TimeTexts(c.h, c.m);
        EXPECT_EQ(t.H24, QString::fromLatin1(c.h24)) << c.h << ":" << c.m;
        EXPECT_EQ(t.H12, QString::fromLatin1(c.h12)) << c.h << ":" << c.m;
    }
}

TEST(WhenTexts, DateTextsUseEnglishMonthNames)
{
    const TDateTexts t = DateTexts(QDate(2005, 8, 3));
    EXPECT_EQ(t.SD1, "August, 3");
    EXPECT_EQ(t.Repeat, "Repeat every August, 3");
    EXPECT_EQ(t.Calendar, "August, 3   2005");
    EXPECT_EQ(DateTexts(QDate(33, 12, 25)).Calendar, "December, 25   33");
    EXPECT_EQ(MonthNameText(1), "January, ");
    EXPECT_EQ(MonthNameText(9), "September, ");
    EXPECT_EQ(MonthNameText(0), "");
    EXPECT_EQ(MonthNameText(13), "");
}

TEST(WhenTexts, WeekdaysInFixedOrderWithTrailingBlanks)
{
    EXPECT_EQ(DaysText({true, false, true, false, true, false, false}), "Mon Wed Fri ");
    EXPECT_EQ(DaysText({true, false, false, false, false, false, true}), "Mon Sun ");
    EXPECT_EQ(DaysText({false, false, false, false, false, false, false}), "");
    EXPECT_EQ(DaysText({true, true, true, true, true, true, true}), "Mon Tue Wed Thu Fri Sat Sun ");
    EXPECT_EQ(MonthlyDayText(15), "Day # 15");
}

TEST(WhenTexts, CalendarSetGoesThroughDayOneSoNoStepIsRefused)
{
    using L = QList<QDate>;
    EXPECT_EQ(CalendarSetSteps(QDate(2006, 3, 31), 2006, 4, 10),
              (L{QDate(2006, 3, 1), QDate(2006, 4, 1), QDate(2006, 4, 10)}));
    EXPECT_EQ(CalendarSetSteps(QDate(2008, 2, 29), 2005, 2, 28),
              (L{QDate(2008, 2, 1), QDate(2005, 2, 1), QDate(2005, 2, 28)}));
    // Equal parts add no step; a date already there adds none at all.
    EXPECT_EQ(CalendarSetSteps(QDate(2010, 5, 1), 2010, 5, 1), L{});
}

TEST(WhenTexts, CalendarSetLeavesOutOfRangePartsAlone)
{
    using L = QList<QDate>;
    // Month 13 and day 0 leave month and day; the day was still reset to 1.
    EXPECT_EQ(CalendarSetSteps(QDate(2010, 5, 20), 2011, 13, 0),
              (L{QDate(2010, 5, 1), QDate(2011, 5, 1)}));
    // Day 31 in April is beyond the month reached: left at 1.
    EXPECT_EQ(CalendarSetSteps(QDate(2010, 5, 20), 2010, 4, 31),
              (L{QDate(2010, 5, 1), QDate(2010, 4, 1)}));
    // Years outside 1..9999 keep the year.
    EXPECT_EQ(CalendarSetSteps(QDate(2010, 5, 20), 0, 6, 2),
              (L{QDate(2010, 5, 1), QDate(2010, 6, 1), QDate(2010, 6, 2)}));
    EXPECT_EQ(CalendarSetSteps(QDate(2010, 5, 20), 10000, 5, 2),
              (L{QDate(2010, 5, 1), QDate(2010, 5, 2)}));
    EXPECT_EQ(CalendarSetSteps(QDate(2010, 5, 20), -4, -1, -7), (L{QDate(2010, 5, 1)}));
}

TEST(WhenTexts, MonthStepResetsTheDayAndRollsTheYear)
{
    using L = QList<QDate>;
    EXPECT_EQ(MonthStepSteps(QDate(2005, 1, 31), true).last(), QDate(2005, 2, 1));
    EXPECT_EQ(MonthStepSteps(QDate(2005, 12, 15), true),
              (L{QDate(2005, 12, 1), QDate(2005, 1, 1), QDate(2006, 1, 1)}));
    EXPECT_EQ(MonthStepSteps(QDate(2005, 1, 10), false),
              (L{QDate(2005, 1, 1), QDate(2005, 12, 1), QDate(2004, 12, 1)}));
    EXPECT_EQ(MonthStepSteps(QDate(2005, 3, 1), false), (L{QDate(2005, 2, 1)}));
    // The calendar's ends: stop rather than wrap to the other end of the year.
    EXPECT_EQ(MonthStepSteps(QDate(9999, 12, 31), true), (L{QDate(9999, 12, 1)}));
    EXPECT_EQ(MonthStepSteps(QDate(1, 1, 1), false), L{});
}

TEST(WhenTexts, FieldValueReadsTextOrTheMinimum)
{
    EXPECT_EQ(FieldValue("30", 1), 30);
    EXPECT_EQ(FieldValue(" 7 ", 0), 7);
    EXPECT_EQ(FieldValue("", 1), 1);
    EXPECT_EQ(FieldValue("x", 0), 0);
    EXPECT_EQ(FieldValue("99999999999", 1), 1);
    EXPECT_EQ(ClampToRange(30, 0, 23), 23);
    EXPECT_EQ(ClampToRange(-1, 1, 28), 1);
    EXPECT_EQ(ClampToRange(5, 1, 28), 5);
}

} // namespace
