#include "tick.h"

#include "clock.h"
#include "filenames.h"
#include "folder.h"
#include "messages.h"
#include "reminder.h"

#include <QSet>

#include <climits>
#include <utility>
#include <exception>

namespace {

QString StampOf(const TProcStamp& s) { return StampText(s.YR, s.MO, s.DY, s.HR, s.MN); }

struct Moment {
    int year = 1;
    int month = 1;
    int day = 1;
    int hour = 1;
    int minute = 1;
    QString Stamp() const { return StampText(year, month, day, hour, minute); }
};

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

// Steps on until the moment lies after the stamp. Hand-edited values can make text order
// wander, hence the bound.
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

// Text order is time order only for four-digit years and months in range.
bool Chronological(const Moment& m)
{
    return m.year >= 1000 && m.year <= 9999 && m.month >= 1 && m.month <= 12;
}

bool Reached(const QString& lastProc, const QString& schedule, const QString& now)
{
    return lastProc < schedule && !(now < schedule);
}

// A yearly or monthly moment. One at or before the stamp (saved after its date, or
// written back by a save over a firing) would never fire again: it moves on to its first
// moment after the stamp without firing. A firing moves it past the stamp it writes, so
// a late firing does not leave it behind either.
template <typename Step>
bool EvaluateRepeating(Moment& m, const QString& lastProc, const QString& now,
                       const QString& firingStamp, Step step)
{
    if (!(lastProc < m.Stamp()) && Chronological(m)) {
        const Moment next = AdvancePast(m, lastProc, step);
        if (Chronological(next) && next.Stamp() > lastProc)
            m = next;
    }
    if (!Reached(lastProc, m.Stamp(), now))
        return false;
    m = AdvancePast(m, firingStamp, step);
    return true;
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

DueDecision EvaluateReminder(const TResidentSchedule& r, const TickClock& clock)
{
    DueDecision decision;
    decision.after = r;
    const QString now = clock.NowStamp();
    const QString firingStamp = StampText(clock.Year, clock.Month, clock.Day, 23, 59);
    // Nothing is written before all three tests ran, so each sees the same stamp.
    const QString lastProc = StampOf(r.LastProc);

    if (r.Date.Ck) {
        Moment m{r.Date.Year, r.Date.Month, r.Date.Day, r.Date.Hr, r.Date.Min};
        if (r.Date.Repeat) {
            decision.due = EvaluateRepeating(m, lastProc, now, firingStamp, StepYear);
            decision.after.Date.Year = m.year;
        } else {
            // A one-time date at or before its stamp never fires.
            decision.due = Reached(lastProc, m.Stamp(), now);
        }
    }

    if (r.Days.Ck) {
        const QString slot = TwoDigits(r.Days.Hr) + TwoDigits(r.Days.Min);
        if (lastProc < now && !(clock.NowTime() < slot)) {
            const std::pair<bool, const char*> days[] = {{r.Days.Mon, "MON"}, {r.Days.Tue, "TUE"},
                                                         {r.Days.Wed, "WED"}, {r.Days.Thu, "THU"},
                                                         {r.Days.Fri, "FRI"}, {r.Days.Sat, "SAT"},
                                                         {r.Days.Sun, "SUN"}};
            for (const auto& [ticked, name] : days) {
                if (ticked && clock.TodayName.contains(QLatin1String(name))) {
                    decision.due = true;
                    break;
                }
            }
        }
    }

    if (r.Monthly.Ck) {
        Moment m{r.Monthly.Year, r.Monthly.Month, r.Monthly.Day, r.Monthly.Hr, r.Monthly.Min};
        if (EvaluateRepeating(m, lastProc, now, firingStamp, StepMonth))
            decision.due = true;
        decision.after.Monthly.Year = m.year;
        decision.after.Monthly.Month = m.month;
    }

    if (decision.due)
        decision.after.LastProc = {clock.Year, clock.Month, clock.Day, 23, 59};
    return decision;
}

ReminderTicker::ReminderTicker(IClock& clock, IMessages& messages, IReminderActions& actions,
                               std::function<bool()> keepWalking, const QString& stateFile)
    : clock_(clock), messages_(messages), actions_(actions), keepWalking_(std::move(keepWalking)),
      unwritten_(stateFile)
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
    unwritten_.SaveIfBehind();
    const std::optional<QStringList> entries = ReminderFolderEntries(folder);
    if (!entries)
        return;
    for (qsizetype i = 0; i < entries->size(); ++i) {
        if (i > 0 && keepWalking_ && !keepWalking_())
            return;
        try {
            CheckReminder(folder + QLatin1Char('/') + entries->at(i), tick);
        } catch (const StoreError& e) {
            messages_.RaisedError(e.text());
        } catch (const std::exception& e) {
            // An exception must not leave the timer handler; the other files still count.
            messages_.RaisedError(QString::fromLocal8Bit(e.what()));
        }
    }
    ForgetVanished(folder);
}

void ReminderTicker::ForgetVanished(const QString& folder)
{
    if (unwritten_.IsEmpty())
        return;
    // Listed afresh: a tick that ran inside a box of this one may have kept a file that
    // came after this tick's own listing. A folder that cannot be read now tells nothing
    // of what is gone: forgetting then would let a read-only reminder fire again.
    const std::optional<QStringList> entries = ReminderFolderEntries(folder);
    if (!entries)
        return;
    QSet<QByteArray> present;
    for (const QString& entry : *entries)
        present.insert(NativeFilePath(folder + QLatin1Char('/') + entry));
    unwritten_.KeepOnly(present);
}

void ReminderTicker::CheckReminder(const QString& path, const TickClock& clock)
{
    const ProfileSnapshot file = ProfileSnapshot::Read(path);
    const TResidentSchedule onDisk = ReadResidentSchedule(file);
    TResidentSchedule current = onDisk;
    QByteArray key;
    // A copy, not a place in the table: a tick inside a box of the actions changes it.
    std::optional<Unwritten> kept;
    if (!unwritten_.IsEmpty()) {
        key = NativeFilePath(path);
        kept = unwritten_.Find(key);
        if (kept && kept->onDisk == onDisk) {
            current = kept->pending;
        } else if (kept) {
            // Changed since, by the editor or by hand: the file speaks for itself.
            unwritten_.Remove(key);
            kept.reset();
        }
    }
    const DueDecision decision = EvaluateReminder(current, clock);
    // Stamp and advances as one update, a file is never advanced without its stamp; what a
    // failed write kept goes with them, and is tried again at every tick until it lands.
    const QList<ProfileKeyWrite> writes = ScheduleWrites(onDisk, decision.after);
    if (writes.isEmpty())
        return;

    QString failure;
    try {
        const bool there = WriteProfileStrings(path, writes, ProfileFile::Existing);
        if (kept)
            unwritten_.Remove(key);
        // Deleted since it was read: the deletion stands. Written anyway, the stamp would
        // bring the file back as a reminder of no kind the user never made.
        if (!there)
            return;
    } catch (const StoreError& e) {
        if (key.isEmpty())
            key = NativeFilePath(path);
        Unwritten u{onDisk, decision.after, kept ? kept->errorShown : QDate()};
        // Trying again what is already kept says nothing new; a firing or an advance that
        // cannot be written is told once per file and day.
        // A file whose error was never told (the program closed first) is told now.
        const bool retry = kept && kept->pending == decision.after && kept->errorShown.isValid();
        const QDate today(clock.Year, clock.Month, clock.Day);
        if (!retry && u.errorShown != today) {
            u.errorShown = today;
            failure = e.text();
        }
        // Kept before any box opens, so neither a tick inside it nor a later start of the
        // scheduler fires the reminder again.
        unwritten_.Put(key, u);
    }
    // A file that cannot be written must not silence its reminder.
    if (decision.due)
        actions_.PerformActions(ReadReminderActions(file), clock.ClockText(), clock.NowTime(), clock.TodayName);
    if (failure.isEmpty())
        return;
    if (keepWalking_ && !keepWalking_()) {
        // The program closed during the actions: a box now would vanish unread, so the
        // error is left to be told at the next start.
        if (std::optional<Unwritten> u = unwritten_.Find(key)) {
            u->errorShown = QDate();
            unwritten_.Put(key, *u);
        }
        return;
    }
    messages_.RaisedError(failure);
}
