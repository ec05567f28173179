#include "tick.h"

#include "clock.h"
#include "folder.h"
#include "messages.h"
#include "reminder.h"

#include <climits>
#include <exception>

namespace {

const QString kDate = QStringLiteral("Date");
const QString kDays = QStringLiteral("Days");
const QString kMonthly = QStringLiteral("Monthly");
const QString kLastProc = QStringLiteral("LastProc");
const QString kCk = QStringLiteral("Ck");
const QString kYear = QStringLiteral("Year");
const QString kMonth = QStringLiteral("Month");
const QString kDay = QStringLiteral("Day");
const QString kHr = QStringLiteral("Hr");
const QString kMin = QStringLiteral("Min");

QString LastProcStamp(const ProfileSnapshot& file)
{
    return StampText(file.ReadInteger(kLastProc, QStringLiteral("YR"), 1),
                     file.ReadInteger(kLastProc, QStringLiteral("MO"), 1),
                     file.ReadInteger(kLastProc, QStringLiteral("DY"), 1),
                     file.ReadInteger(kLastProc, QStringLiteral("HR"), 1),
                     file.ReadInteger(kLastProc, QStringLiteral("MN"), 1));
}

struct Moment {
    int year = 1;
    int month = 1;
    int day = 1;
    int hour = 1;
    int minute = 1;
    QString Stamp() const { return StampText(year, month, day, hour, minute); }
};

Moment ReadMoment(const ProfileSnapshot& file, const QString& section)
{
    return {file.ReadInteger(section, kYear, 1), file.ReadInteger(section, kMonth, 1),
            file.ReadInteger(section, kDay, 1), file.ReadInteger(section, kHr, 1),
            file.ReadInteger(section, kMin, 1)};
}

bool StepYear(Moment& m)
{
    if (m.year == INT_MAX)
        return false;
    ++m.year;
    return true;
}

bool StepMonth(Moment& m)
{
    if (m.month == 12) {
        if (m.year == INT_MAX)
            return false;
        ++m.year;
        m.month = 1;
        return true;
    }
    if (m.month == INT_MAX)
        return false;
    ++m.month;
    return true;
}

// A reminder that fires long after its moment must not be advanced to a moment that has
// already passed: it would never fire again. Steps on until the moment lies after the
// stamp being written. Hand-edited values can make text order wander, hence the bound.
template <typename Step>
Moment AdvancePast(Moment m, const QString& stamp, Step step)
{
    constexpr int kMaxSteps = 100000;
    for (int i = 0; i < kMaxSteps; ++i) {
        if (!step(m) || m.Stamp() > stamp)
            break;
    }
    return m;
}

bool Reached(const QString& lastProc, const QString& schedule, const QString& now)
{
    return lastProc < schedule && !(now < schedule);
}

} // namespace

QStringList DayNames()
{
    return {QStringLiteral("Sunday"),   QStringLiteral("Monday"), QStringLiteral("Tuesday"),
            QStringLiteral("Wednesday"), QStringLiteral("Thursday"), QStringLiteral("Friday"),
            QStringLiteral("Saturday")};
}

QString ClockText(int hour, int minute)
{
    if (hour == 0)
        return QStringLiteral("12:") + TwoDigits(minute) + QStringLiteral(" AM");
    if (hour == 12)
        return QStringLiteral("12:") + TwoDigits(minute) + QStringLiteral(" PM");
    if (hour < 12)
        return TwoDigits(hour) + QLatin1Char(':') + TwoDigits(minute) + QStringLiteral(" AM");
    return TwoDigits(hour - 12) + QLatin1Char(':') + TwoDigits(minute) + QStringLiteral(" PM");
}

TickClock TickClock::FromDateTime(const QDateTime& moment)
{
    TickClock c;
    const QDate date = moment.date();
    const QTime time = moment.time();
    c.Year = static_cast<quint16>(date.year());
    c.Month = static_cast<quint16>(date.month());
    c.Day = static_cast<quint16>(date.day());
    c.Hour = static_cast<quint16>(time.hour());
    c.Minute = static_cast<quint16>(time.minute());
    c.Second = static_cast<quint16>(time.second());
    c.Millisecond = static_cast<quint16>(time.msec());
    c.DayOfWeek = date.dayOfWeek() % 7 + 1; // Qt counts from Monday, the names from Sunday
    c.TodayName = DayNames().at(c.DayOfWeek - 1).toUpper();
    return c;
}

QString TickClock::NowStamp() const { return StampText(Year, Month, Day, Hour, Minute); }

QString TickClock::NowTime() const { return TwoDigits(Hour) + TwoDigits(Minute); }

QString TickClock::ClockText() const { return ::ClockText(Hour, Minute); }

DueDecision EvaluateReminder(const ProfileSnapshot& file, const TickClock& clock)
{
    DueDecision decision;
    const QString now = clock.NowStamp();
    const QString stamp = StampText(clock.Year, clock.Month, clock.Day, 23, 59);
    // Nothing is written before all three tests ran, so each sees the same stamp.
    const QString lastProc = LastProcStamp(file);

    if (file.ReadBool(kDate, kCk, false)) {
        const Moment m = ReadMoment(file, kDate);
        const bool repeat = file.ReadBool(kDate, QStringLiteral("Repeat"), false);
        if (Reached(lastProc, m.Stamp(), now)) {
            decision.due = true;
            if (repeat) {
                const Moment next = AdvancePast(m, stamp, StepYear);
                if (next.year != m.year)
                    decision.writes.append({kDate, kYear, QString::number(next.year)});
            }
        }
    }

    if (file.ReadBool(kDays, kCk, false)) {
        const QString slot = TwoDigits(file.ReadInteger(kDays, kHr, 1))
                             + TwoDigits(file.ReadInteger(kDays, kMin, 1));
        if (lastProc < now && !(clock.NowTime() < slot)) {
            static const char* const kWeekdays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
            for (const char* day : kWeekdays) {
                const QString key = QString::fromLatin1(day);
                if (file.ReadBool(kDays, key, false) && clock.TodayName.contains(key.toUpper())) {
                    decision.due = true;
                    break;
                }
            }
        }
    }

    if (file.ReadBool(kMonthly, kCk, false)) {
        const Moment m = ReadMoment(file, kMonthly);
        if (Reached(lastProc, m.Stamp(), now)) {
            decision.due = true;
            const Moment next = AdvancePast(m, stamp, StepMonth);
            if (next.year != m.year || next.month != m.month) {
                decision.writes.append({kMonthly, kYear, QString::number(next.year)});
                decision.writes.append({kMonthly, kMonth, QString::number(next.month)});
            }
        }
    }

    if (decision.due)
        decision.writes.append(LastProcWrites(clock.Year, clock.Month, clock.Day, 23, 59));
    return decision;
}

QList<ProfileKeyWrite> LastProcWrites(int year, int month, int day, int hour, int minute)
{
    return {{kLastProc, QStringLiteral("YR"), QString::number(year)},
            {kLastProc, QStringLiteral("MO"), QString::number(month)},
            {kLastProc, QStringLiteral("DY"), QString::number(day)},
            {kLastProc, QStringLiteral("HR"), QString::number(hour)},
            {kLastProc, QStringLiteral("MN"), QString::number(minute)}};
}

void WriteLastProc(const QString& file, int year, int month, int day, int hour, int minute)
{
    WriteProfileStrings(file, LastProcWrites(year, month, day, hour, minute));
}

ReminderTicker::ReminderTicker(IClock& clock, IMessages& messages, IReminderActions& actions,
                               std::function<bool()> keepWalking)
    : clock_(clock), messages_(messages), actions_(actions), keepWalking_(std::move(keepWalking))
{
}

void ReminderTicker::Timer1Timer()
{
    const QDateTime now = clock_.Now();
    if (!now.isValid())
        return;
    // Each tick judges against its own moment, even when a later tick runs inside one of
    // its message boxes.
    const TickClock tick = TickClock::FromDateTime(now);
    const QString folder = ReminderFolder();
    if (folder.isEmpty())
        return;
    const QStringList entries = ReminderFolderEntries(folder);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (i > 0 && keepWalking_ && !keepWalking_())
            break;
        try {
            CheckReminder(folder + QLatin1Char('/') + entries.at(i), tick);
        } catch (const StoreError& e) {
            messages_.RaisedError(e.text());
        } catch (const std::exception& e) {
            // An exception must not leave the timer handler; the other files still count.
            messages_.RaisedError(QString::fromLocal8Bit(e.what()));
        }
    }
}

void ReminderTicker::CheckReminder(const QString& path, const TickClock& clock)
{
    const ProfileSnapshot file = ProfileSnapshot::Read(path);
    const DueDecision decision = EvaluateReminder(file, clock);
    if (!decision.due) {
        failing_.remove(path);
        return;
    }
    // Stamp and advances as one update: a file is never advanced without its stamp.
    try {
        WriteProfileStrings(path, decision.writes);
    } catch (const StoreError& e) {
        if (failing_.contains(path))
            return;
        // Marked before the box opens, since a tick can run inside the box.
        failing_.insert(path);
        messages_.RaisedError(e.text());
        return;
    }
    failing_.remove(path);
    actions_.PerformActions(file, clock.ClockText(), clock.NowTime(), clock.TodayName);
}
