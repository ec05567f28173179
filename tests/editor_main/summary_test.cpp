// The summary panel's texts, worked out without a window.
#include "reminder.h"
#include "summary.h"

#include <gtest/gtest.h>

namespace {

TEST(ReminderTimeText, TwelveHourAndMilitaryForms)
{
    const struct {
        int h, m;
        const char* text;
    } cases[] = {
        {0, 0, "12:00 AM  (Military Time : 0:00)"},
        {0, 7, "12:07 AM  (Military Time : 0:07)"},
        {9, 10, "9:10 AM  (Military Time : 9:10)"},
        {21, 10, "9:10 PM  (Military Time : 21:10)"},
        {9, 45, "9:45 AM  (Military Time : 9:45)"},
        {11, 59, "11:59 AM  (Military Time : 11:59)"},
        {12, 0, "12:00 PM  (Military Time : 12:00)"},
        {12, 30, "12:30 PM  (Military Time : 12:30)"},
        {12, 59, "12:59 PM  (Military Time : 12:59)"},
        {13, 0, "1:00 PM  (Military Time : 13:00)"},
        {13, 5, "1:05 PM  (Military Time : 13:05)"},
        {23, 59, "11:59 PM  (Military Time : 23:59)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReminderTimeText(c.h, c.m), QString::fromLatin1(c.text)) << c.h << ":" << c.m;
}

TEST(ReminderSummary, DateReminderShowsStoredMonthAndDayAndRepeat)
{
    TReminderSummary s;
    s.DateCk = true;
    s.DateMonth = QStringLiteral("03");
    s.DateDay = QStringLiteral("7");
    s.DateHr = 9;
    s.DateRepeat = true;
    ReminderSummaryTexts t = ReminderSummary(s);
    EXPECT_EQ(t.Label5, "This reminder occurs on:");
    EXPECT_EQ(t.Label4, "Date : 03/7");
    EXPECT_EQ(t.Label3, "9:00 AM  (Military Time : 9:00)");
    EXPECT_EQ(t.Label2, "Repeats every year.");

    s.DateRepeat = false;
    EXPECT_EQ(ReminderSummary(s).Label2, "Will NOT repeat every year.");

    // Missing month and day read as empty text.
    s.DateMonth.clear();
    s.DateDay.clear();
    EXPECT_EQ(ReminderSummary(s).Label4, "Date : /");
}

TEST(ReminderSummary, DateWinsOverWeekdaysAndMonthly)
{
    TReminderSummary s;
    s.DateCk = s.DaysCk = s.MonthlyCk = true;
    s.DateMonth = QStringLiteral("8");
    s.DateDay = QStringLiteral("3");
    s.Mon = true;
    EXPECT_EQ(ReminderSummary(s).Label4, "Date : 8/3");

    s.DateCk = false;
    EXPECT_EQ(ReminderSummary(s).Label4, "Mon ");
}

TEST(ReminderSummary, WeekdayReminderListsDaysInWeekOrder)
{
    TReminderSummary s;
    s.DaysCk = true;
    s.Sun = s.Wed = s.Mon = s.Fri = true;
    s.DaysHr = 13;
    ReminderSummaryTexts t = ReminderSummary(s);
    EXPECT_EQ(t.Label5, "This reminder occurs on:");
    EXPECT_EQ(t.Label4, "Mon Wed Fri Sun ");
    EXPECT_EQ(t.Label3, "1:00 PM  (Military Time : 13:00)");
    EXPECT_TRUE(t.Label2.isEmpty());

    s.Mon = s.Tue = s.Wed = s.Thu = s.Fri = s.Sat = s.Sun = false;
    EXPECT_TRUE(ReminderSummary(s).Label4.isEmpty());
}

TEST(ReminderSummary, MonthlyAndInactiveReminders)
{
    TReminderSummary s;
    s.MonthlyCk = true;
    s.MonthlyDay = QStringLiteral("15");
    s.MonthlyHr = 23;
    s.MonthlyMin = 59;
    ReminderSummaryTexts t = ReminderSummary(s);
    EXPECT_EQ(t.Label5, "This reminder occurs on:");
    EXPECT_EQ(t.Label4, "Day #15 every month.");
    EXPECT_EQ(t.Label3, "11:59 PM  (Military Time : 23:59)");
    EXPECT_TRUE(t.Label2.isEmpty());

    s.MonthlyCk = false;
    t = ReminderSummary(s);
    EXPECT_EQ(t.Label5, "***NOT ACTIVE***");
    EXPECT_TRUE(t.Label4.isEmpty());
    EXPECT_TRUE(t.Label3.isEmpty());
    EXPECT_TRUE(t.Label2.isEmpty());
}

TEST(ReminderSummary, FeaturesInFixedOrderWithMessage)
{
    TReminderSummary s;
    s.Open = s.SayMsg = s.Display = s.PlayMP3 = s.SayDay = s.SayTime = true;
    s.Msg = QStringLiteral("Call Mira");
    ReminderSummaryTexts t = ReminderSummary(s);
    EXPECT_EQ(t.Label8, "Reminder Features:");
    EXPECT_EQ(t.Label6, "Says time. Says day. Plays MP3. Displays message. Says message. "
                        "Opens file. Message: Call Mira");

    TReminderSummary only;
    only.SayDay = true;
    EXPECT_EQ(ReminderSummary(only).Label6, "Says day. ");
}

TEST(ReminderSummary, MessageShownWithoutMessageActionAndNoHeadingWhenNothing)
{
    TReminderSummary s;
    s.Msg = QStringLiteral("Pay rent");
    ReminderSummaryTexts t = ReminderSummary(s);
    EXPECT_EQ(t.Label8, "Reminder Features:");
    EXPECT_EQ(t.Label6, "Message: Pay rent");

    s.Msg.clear();
    t = ReminderSummary(s);
    EXPECT_TRUE(t.Label8.isEmpty());
    EXPECT_TRUE(t.Label6.isEmpty());
}

} // namespace
