#include "actions.h"

#include "clock.h"
#include "messages.h"
#include "shell.h"
#include "speech.h"

#include <QLocale>
#include <QTimer>

const char* const kBlankDisplayText =
    "You had a reminder set to display a message, but your message was blank.";
const char* const kBlankSayText =
    "You had a reminder set to say a message, but your message was blank.";

QString TimeFormatWithoutZone(const QString& format)
{
    // The locale data's long time carries the zone ("9:05:14 AM UTC"); a desktop's own
    // long time format has no such field, and the message tells local time anyway.
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
        } else if (!quoted && c == QLatin1Char('t')) {
            while (i + 1 < format.size() && format.at(i + 1) == QLatin1Char('t'))
                ++i;
            while (!out.isEmpty() && out.back().isSpace())
                out.chop(1);
            continue;
        }
        out += c;
    }
    out.replace(QStringLiteral("()"), QString()); // "H:mm:ss (t)"
    return out.trimmed();
}

QStringList DisplayLines(const QString& message, const QDateTime& now, const QString& clockText,
                         const QLocale& locale)
{
    return {QStringLiteral("Reminder Message: ") + locale.toString(now.date(), QLocale::ShortFormat)
                + QLatin1Char(' ') + locale.toString(now.time(), TimeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat)))
                + QStringLiteral(" (") + clockText + QLatin1Char(')'),
            QStringLiteral(" "),
            QStringLiteral("Nelvora Reminder:"),
            QStringLiteral(" "),
            message,
            QStringLiteral(" ")};
}

QString SayTimeFailureText(const QString& clockText, const QString& nowTime)
{
    return QStringLiteral(
               "Nelvora was setup by you to have a \"voice\" reminder to say the time, however "
               "your pc does not support voice activation (Windows XP or later contain voice "
               "activation). Please use the other reminder option to display the time and "
               "message instead of saying it. The time is: ")
           + clockText + QLatin1Char(' ') + nowTime;
}

QString SayDayFailureText(const QString& todayName)
{
    return QStringLiteral(
               "Nelvora was setup by you to have a \"voice\" reminder to say the current day, "
               "however your pc does not support voice activation (Windows XP or later contain "
               "voice activation). Please use the other reminder option to display the day, "
               "time, or message instead of saying it. The day is: ")
           + todayName;
}

QString SayMsgFailureText(const QString& message)
{
    return QStringLiteral(
               "Nelvora was setup by you to have a \"voice\" reminder to say your message, "
               "however your pc does not support voice activation (Windows XP or later contain "
               "voice activation). Please use the other reminder option to display your "
               "message instead of saying it. Your message was: ")
           + message;
}

QString AudioNotFoundText(const QString& path)
{
    return QStringLiteral("You had a reminder set to play an audio file. The audio file could "
                          "not be found: ")
           + path;
}

QString OpenNotFoundText(const QString& path)
{
    return QStringLiteral("You had a reminder set to open a file. The file could not be found: ")
           + path;
}

ReminderActions::ReminderActions(IClock& clock, IMessages& messages, ISpeech& speech,
                                 IShell& shell, QTimer& Timer1, IReminderDisplay& display)
    : clock_(clock), messages_(messages), speech_(speech), shell_(shell), Timer1_(Timer1),
      display_(display)
{
}

void ReminderActions::PerformActions(const TReminderActions& reminder, const QString& clockText,
                                     const QString& nowTime, const QString& todayName)
{
    // Asked afresh before each action: a close can come inside any box of the ones before.
    const auto due = [this](bool flag) { return flag && !stopped_; };

    if (due(reminder.SayTime))
        Say(QStringLiteral("The current time is ") + clockText,
            SayTimeFailureText(clockText, nowTime));

    if (due(reminder.SayDay))
        Say(QStringLiteral("Today is ") + todayName, SayDayFailureText(todayName));

    if (due(reminder.Display)) {
        const QString& message = reminder.Msg;
        if (!message.isEmpty())
            display_.ShowReminder(DisplayLines(message, clock_.Now(), clockText));
        else
            messages_.Notice(QString::fromLatin1(kBlankDisplayText));
    }

    if (due(reminder.SayMsg)) {
        const QString& message = reminder.Msg;
        if (!message.isEmpty())
            Say(message, SayMsgFailureText(message));
        else
            messages_.Notice(QString::fromLatin1(kBlankSayText));
    }

    if (due(reminder.PlayMP3)) {
        const QString& path = reminder.MP3File;
        // A start that fails (no program for the type) goes unreported.
        if (!path.isEmpty() && shell_.FileExists(path))
            shell_.OpenPath(path, ShellShow::Maximized);
        else
            messages_.Notice(AudioNotFoundText(path));
    }

    if (due(reminder.Open)) {
        const QString& path = reminder.OpenFile;
        if (!path.isEmpty() && shell_.FileExists(path))
            shell_.OpenPath(path, ShellShow::Maximized);
        else
            messages_.Notice(OpenNotFoundText(path));
    }
}

void ReminderActions::Say(const QString& text, const QString& failureText)
{
    // A speech cut short by the close is no failure to tell.
    if (!speech_.Speak(text) && !stopped_)
        SpeechFailure(failureText);
}

void ReminderActions::SpeechFailure(const QString& text)
{
    shell_.Beep();
    // A timer that was already off stays off afterwards, and so does one whose program was
    // closed while the box was open: the close makes the box return, and the walk must end.
    const bool wasRunning = Timer1_.isActive();
    Timer1_.stop();
    shell_.ProcessPendingEvents();
    messages_.Notice(text);
    if (wasRunning && !stopped_)
        Timer1_.start(); // a fresh full interval
}
