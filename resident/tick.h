#pragma once
// The minute tick: the tick clock, the due tests of one reminder file and the walk of
// the reminder folder.

#include "profile.h"

#include <QDateTime>
#include <QList>
#include <QSet>
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
    // The schedule advances in the order the tests made them, then the stamp; empty when
    // not due.
    QList<ProfileKeyWrite> writes;
};

// The specific-date, weekday and monthly tests on one consistent read of a file.
DueDecision EvaluateReminder(const ProfileSnapshot& file, const TickClock& clock);

// Section LastProc, keys YR, MO, DY, HR, MN, in that order.
QList<ProfileKeyWrite> LastProcWrites(int year, int month, int day, int hour, int minute);
// Writes them as one update; throws StoreError.
void WriteLastProc(const QString& file, int year, int month, int day, int hour, int minute);

// What runs once a reminder has been stamped.
class IReminderActions {
public:
    virtual ~IReminderActions() = default;
    virtual void PerformActions(const ProfileSnapshot& file, const QString& clockText,
                                const QString& nowTime, const QString& todayName) = 0;
};

class ReminderTicker {
public:
    // keepWalking is asked before every entry after the first; the walk stops when it
    // says no (the timer has been switched off).
    ReminderTicker(IClock& clock, IMessages& messages, IReminderActions& actions,
                   std::function<bool()> keepWalking);

    // One tick over ReminderFolder().
    void Timer1Timer();
    void CheckReminder(const QString& path, const TickClock& clock);

private:
    IClock& clock_;
    IMessages& messages_;
    IReminderActions& actions_;
    std::function<bool()> keepWalking_;
    // Files whose stamp could not be written and whose error has been shown: the box is
    // not repeated every minute while the file stays unwritable.
    QSet<QString> failing_;
};
