#pragma once
// The minute tick: the tick clock, the due tests of one reminder file and the walk of
// the reminder folder.

#include "profile.h"
#include "reminder.h"
#include "unwritten.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

class IClock;
class IMessages;

// "Sunday" .. "Saturday": English whatever the user's language.
QStringList DayNames();

// 12-hour text: "12:07 AM", "12:00 PM", "01:30 PM", "09:05 AM".
QString ClockText(int hour, int minute);

// The one moment every reminder of a tick is judged against.
struct TickClock {
    quint16 Year = 0;
    quint16 Month = 0;
    quint16 Day = 0;
    quint16 Hour = 0;
    quint16 Minute = 0;
    quint16 Second = 0;
    quint16 Millisecond = 0;
    int DayOfWeek = 1; // 1 = Sunday .. 7 = Saturday
    QString TodayName; // "MONDAY"

    static TickClock FromDateTime(const QDateTime& moment);

    QString NowStamp() const; // 202612080346
    QString NowTime() const;  // 0346
    QString ClockText() const;
};

// What the due tests of one file decided.
struct DueDecision {
    bool due = false;
    // The schedule as the tests leave it: a yearly or monthly moment moved on, the stamp
    // of a firing (ScheduleWrites turns the file into it).
    TResidentSchedule after;
};

// The specific-date, weekday and monthly tests on one consistent read of a file.
DueDecision EvaluateReminder(const TResidentSchedule& reminder, const TickClock& clock);

// What runs once a reminder has been stamped.
class IReminderActions {
public:
    virtual ~IReminderActions() = default;
    virtual void PerformActions(const TReminderActions& reminder, const QString& clockText,
                                const QString& nowTime, const QString& todayName) = 0;
};

class ReminderTicker {
public:
    // keepWalking is asked before every entry after the first; the walk stops when it
    // says no (the timer has been switched off). stateFile keeps what unwritable files
    // could not take across restarts (UnwrittenTable).
    ReminderTicker(IClock& clock, IMessages& messages, IReminderActions& actions,
                   std::function<bool()> keepWalking, const QString& stateFile);

    // One tick over ReminderFolder().
    void Timer1Timer();
    void CheckReminder(const QString& path, const TickClock& clock);

private:
    void ForgetVanished(const QString& folder);

    IClock& clock_;
    IMessages& messages_;
    IReminderActions& actions_;
    std::function<bool()> keepWalking_;
    // A reminder whose file could not take its stamp or advance goes on from what the
    // write would have left, for as long as the file still reads as it did then.
    UnwrittenTable unwritten_;
};
