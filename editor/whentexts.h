#pragma once
// What the schedule page decides, kept apart from its widgets: the summary texts, the
// calendar's month step and date setting, and the numeric fields' range rules.

#include <QDate>
#include <QList>
#include <QString>

// The 24-hour and the 12-hour text of a time of day.
struct TTimeTexts {
    QString H24; // "13:05"
    QString H12; // "1:05 PM"
};
TTimeTexts TimeTexts(int hour, int minute);

// "August, " for 8; empty for a month outside 1..12.
QString MonthNameText(int month);

// The date group's texts for a calendar date.
struct TDateTexts {
    QString SD1;      // "August, 3"
    QString Repeat;   // "Repeat every August, 3"
    QString Calendar; // "August, 3   2005"
};
TDateTexts DateTexts(const QDate& date);

// The checked weekdays in the fixed order Mon..Sun, each followed by one blank.
// checked[0] is Monday, checked[6] Sunday.
QString DaysText(const bool (&checked)[7]);

// "Day # 15".
QString MonthlyDayText(int day);

// The calendar's years; a stored year outside them leaves the year as it was.
constexpr int kFirstCalendarYear = 1;
constexpr int kLastCalendarYear = 9999;

// The dates the calendar passes through, in order, when its date is set to year, month
// and day: the day goes to 1 first, then the year, the month and the day are replaced
// one at a time. A part that is out of range or equal to the current one is left as it
// was and adds no date. Every date in the list differs from the one before.
QList<QDate> CalendarSetSteps(const QDate& current, int year, int month, int day);

// The dates the calendar passes through on a month arrow: day 1, then the month (and
// the year, after the month, when the year rolls over).
QList<QDate> MonthStepSteps(const QDate& current, bool forward);

// A numeric field's value: the integer its text holds, or the minimum for text that is
// not a number.
int FieldValue(const QString& text, int minimum);
int ClampToRange(int value, int minimum, int maximum);

// The page's message texts.
extern const char* const kWhenCaption;
extern const char* const kWhenInstruction;
extern const char* const kDateWrongOption;
extern const char* const kDaysWrongOption;
extern const char* const kMonthlyWrongOption;
extern const char* const kDateExample;
extern const char* const kDaysExample;
extern const char* const kMonthlyExample;
