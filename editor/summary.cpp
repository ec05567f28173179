#include "summary.h"

#include "reminder.h"

#include <utility>

QString ReminderTimeText(int hour, int minute)
{
    QString mm;
    if (minute == 0)
        mm = QStringLiteral("00");
    else if (minute >= 10)
        mm = QString::number(minute);
    else
        mm = QLatin1Char('0') + QString::number(minute);

    QString twelve;
    if (hour == 0)
        twelve = QStringLiteral("12:") + mm + QStringLiteral(" AM");
    else if (hour == 12)
        twelve = QStringLiteral("12:") + mm + QStringLiteral(" PM");
    else if (hour > 12)
        twelve = QString::number(hour - 12) + QLatin1Char(':') + mm + QStringLiteral(" PM");
    else
        twelve = QString::number(hour) + QLatin1Char(':') + mm + QStringLiteral(" AM");

    return twelve + QStringLiteral("  (Military Time : ") + QString::number(hour) +
           QLatin1Char(':') + mm + QLatin1Char(')');
}

QString AppendReminderTime(const TReminderSummary& file, ScheduleKind kind)
{
    switch (kind) {
    case ScheduleKind::Date:
        return ReminderTimeText(file.DateHr, file.DateMin);
    case ScheduleKind::Days:
        return ReminderTimeText(file.DaysHr, file.DaysMin);
    case ScheduleKind::Monthly:
        return ReminderTimeText(file.MonthlyHr, file.MonthlyMin);
    }
    return {};
}

ReminderSummaryTexts ReminderSummary(const TReminderSummary& file)
{
    ReminderSummaryTexts t;
    const QString occurs = QStringLiteral("This reminder occurs on:");
    if (file.DateCk) {
        t.Label5 = occurs;
        t.Label4 = QStringLiteral("Date : ") + file.DateMonth + QLatin1Char('/') + file.DateDay;
        t.Label3 = AppendReminderTime(file, ScheduleKind::Date);
        t.Label2 = file.DateRepeat ? QStringLiteral("Repeats every year.")
                                   : QStringLiteral("Will NOT repeat every year.");
    } else if (file.DaysCk) {
        t.Label5 = occurs;
        const std::pair<bool, const char*> days[] = {
            {file.Mon, "Mon "}, {file.Tue, "Tue "}, {file.Wed, "Wed "}, {file.Thu, "Thu "},
            {file.Fri, "Fri "}, {file.Sat, "Sat "}, {file.Sun, "Sun "}};
        for (const auto& [set, text] : days) {
            if (set)
                t.Label4 += QLatin1String(text);
        }
        t.Label3 = AppendReminderTime(file, ScheduleKind::Days);
    } else if (file.MonthlyCk) {
        t.Label5 = occurs;
        t.Label4 = QStringLiteral("Day #") + file.MonthlyDay + QStringLiteral(" every month.");
        t.Label3 = AppendReminderTime(file, ScheduleKind::Monthly);
    } else {
        t.Label5 = QStringLiteral("***NOT ACTIVE***");
    }

    QString features;
    const std::pair<bool, const char*> actions[] = {
        {file.SayTime, "Says time. "},        {file.SayDay, "Says day. "},
        {file.PlayMP3, "Plays MP3. "},        {file.Display, "Displays message. "},
        {file.SayMsg, "Says message. "},      {file.Open, "Opens file. "}};
    for (const auto& [set, text] : actions) {
        if (set)
            features += QLatin1String(text);
    }
    // The message is shown even when no message action uses it.
    if (!file.Msg.isEmpty())
        features += QStringLiteral("Message: ") + file.Msg;

    t.Label8 = features.isEmpty() ? QString() : QStringLiteral("Reminder Features:");
    t.Label6 = features;
    return t;
}
