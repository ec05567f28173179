#include "whentexts.h"

#include <algorithm>

const char* const kWhenCaption = "\"When\" do you want this to occur?";
const char* const kWhenInstruction =
    "Now choose exactly when or how often you want this reminder to occur.  First, choose "
    "an option at the top, then you can alter the options below.";
const char* const kDateWrongOption =
    "You cannot use these options unless you choose the correct option at the top of the "
    "window. Click the first option at the top if you wish to set options based on a "
    "specific date, then you can use these settings.";
const char* const kDaysWrongOption =
    "You cannot use these options unless you choose the correct option at the top of the "
    "window. Click the second option at the top if you wish to set options based on a "
    "specific days, then you can use these settings.";
const char* const kMonthlyWrongOption =
    "You cannot use these options unless you choose the correct option at the top of the "
    "window. Click the third option at the top if you wish to set options based on month "
    "end or month beginning, then you can use these settings.";
const char* const kDateExample =
    "Use this section anytime you wish to create a reminder to notify you when this date "
    "and time has arrived. For example, set a reminder for individual dates like a "
    "birthday approaching, meeting reminder, task you need to do, anniversary, or any "
    "other specific date. You can also check the \"Repeat\" box to make this reminder "
    "repeat. For example, if you set a reminder for August 3rd, and you click the "
    "\"Repeat\" box, then the reminder will notify you every year when August 3rd is "
    "reached. (Meaning your reminder will continue to repeat on this date, otherwise the "
    "reminder will just notify you one time when August 3rd is reached.)";
const char* const kDaysExample =
    "Use this section anytime you wish to create a reminder to notify you when events "
    "occur repeatedly every day, week or weekend. For example, set a reminder for weekly "
    "meetings that occur every Wednesday, or an event that occurs every Saturday, or any "
    "other weekly or daily event you wish to be reminded about. Everytime the chosen "
    "day(s) and time is reached, a reminder will occur to notify you of your approaching "
    "event.";
const char* const kMonthlyExample =
    "Use this section anytime you wish to create a monthly reminder for something that "
    "occurs at the beginning of the month or the end of the month. For example, set a "
    "reminder for paying bills at month end, or anything you want to be reminded about "
    "early in the month or late in the month, etc. Everytime your chosen day is reached "
    "every month, a reminder will occur to notify you of this.";

TTimeTexts TimeTexts(int hour, int minute)
{
    const QString mm = (minute < 10 ? QStringLiteral("0") : QString()) + QString::number(minute);
    TTimeTexts t;
    t.H24 = QString::number(hour) + QLatin1Char(':') + mm;
    if (hour == 0)
        t.H12 = QStringLiteral("12:") + mm + QStringLiteral(" AM");
    else if (hour == 12)
        t.H12 = QStringLiteral("12:") + mm + QStringLiteral(" PM");
    else if (hour > 12)
        t.H12 = QString::number(hour - 12) + QLatin1Char(':') + mm + QStringLiteral(" PM");
    else
        t.H12 = QString::number(hour) + QLatin1Char(':') + mm + QStringLiteral(" AM");
    return t;
}

QString MonthNameText(int month)
{
    // English whatever the user's regional settings.
    static const char* const names[12] = {"January", "February", "March",     "April",
                                          "May",     "June",     "July",      "August",
                                          "September", "October", "November", "December"};
    if (month < 1 || month > 12)
        return {};
    return QString::fromLatin1(names[month - 1]) + QStringLiteral(", ");
}

TDateTexts DateTexts(const QDate& date)
{
    const QString monthDay = MonthNameText(date.month()) + QString::number(date.day());
    TDateTexts t;
    t.SD1 = monthDay;
    t.Repeat = QStringLiteral("Repeat every ") + monthDay;
    t.Calendar = monthDay + QStringLiteral("   ") + QString::number(date.year());
    return t;
}

QString DaysText(const bool (&checked)[7])
{
    static const char* const names[7] = {"Mon ", "Tue ", "Wed ", "Thu ", "Fri ", "Sat ", "Sun "};
    QString text;
    for (int i = 0; i < 7; ++i) {
        if (checked[i])
            text += QString::fromLatin1(names[i]);
    }
    return text;
}

QString MonthlyDayText(int day)
{
    return QStringLiteral("Day # ") + QString::number(day);
}

namespace {

bool YearInRange(int year)
{
    return year >= kFirstCalendarYear && year <= kLastCalendarYear;
}

void Step(QList<QDate>& steps, QDate& date, const QDate& next)
{
    if (next.isValid() && next != date) {
        date = next;
        steps.append(next);
    }
}

} // namespace

QList<QDate> CalendarSetSteps(const QDate& current, int year, int month, int day)
{
    QList<QDate> steps;
    if (!current.isValid())
        return steps;
    QDate date = current;
    Step(steps, date, QDate(date.year(), date.month(), 1));
    if (YearInRange(year))
        Step(steps, date, QDate(year, date.month(), date.day()));
    if (month >= 1 && month <= 12)
        Step(steps, date, QDate(date.year(), month, date.day()));
    if (day >= 1 && day <= date.daysInMonth())
        Step(steps, date, QDate(date.year(), date.month(), day));
    return steps;
}

QList<QDate> MonthStepSteps(const QDate& current, bool forward)
{
    QList<QDate> steps;
    if (!current.isValid())
        return steps;
    QDate date = current;
    Step(steps, date, QDate(date.year(), date.month(), 1));
    const int month = date.month();
    if (forward && month == 12) {
        // At the calendar's last month there is nowhere to go; stay rather than wrap.
        if (!YearInRange(date.year() + 1))
            return steps;
        Step(steps, date, QDate(date.year(), 1, 1));
        Step(steps, date, QDate(date.year() + 1, 1, 1));
    } else if (!forward && month == 1) {
        if (!YearInRange(date.year() - 1))
            return steps;
        Step(steps, date, QDate(date.year(), 12, 1));
        Step(steps, date, QDate(date.year() - 1, 12, 1));
    } else {
        Step(steps, date, QDate(date.year(), month + (forward ? 1 : -1), 1));
    }
    return steps;
}

int FieldValue(const QString& text, int minimum)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : minimum;
}

int ClampToRange(int value, int minimum, int maximum)
{
    return std::clamp(value, minimum, maximum);
}
