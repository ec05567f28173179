#pragma once
// The reminder file: one INI file per reminder, the only place a reminder exists.

#include "profile.h"

#include <QDateTime>
#include <QList>
#include <QString>

struct TDateSchedule {
    bool Ck = false;
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hr = 0;
    int Min = 0;
    bool Repeat = false;
    bool operator==(const TDateSchedule&) const = default;
};

struct TDaysSchedule {
    bool Ck = false;
    bool Mon = false;
    bool Tue = false;
    bool Wed = false;
    bool Thu = false;
    bool Fri = false;
    bool Sat = false;
    bool Sun = false;
    int Hr = 0;
    int Min = 0;
    bool operator==(const TDaysSchedule&) const = default;
};

struct TMonthlySchedule {
    bool Ck = false;
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hr = 0;
    int Min = 0;
    bool operator==(const TMonthlySchedule&) const = default;
};

struct TProcStamp {
    int YR = 0;
    int MO = 0;
    int DY = 0;
    int HR = 0;
    int MN = 0;
    bool operator==(const TProcStamp&) const = default;
};

struct TReminder {
    QString Name; // not stored: the file name without ".ini"
    TDateSchedule Date;
    TDaysSchedule Days;
    TMonthlySchedule Monthly;
    bool SayTime = false;
    bool SayDay = false;
    bool PlayMP3 = false;
    bool Display = false;
    bool SayMsg = false;
    bool Open = false;
    QString Msg;
    QString OpenFile;
    QString MP3File;
    TProcStamp LastProc;
};

// ReminderFolder + "/" + name + ".ini".
QString ReminderFileName(const QString& name);

// "07" for 7, "10" for 10, "100" for 100.
QString TwoDigits(int n);
// Decimal year, then TwoDigits of month, day, hour and minute: compared as text.
QString StampText(int year, int month, int day, int hour, int minute);

// The first (year, month) whose day/hour/minute lies after the save minute; a monthly
// reminder saved with it fires in that month.
struct MonthlyStart {
    int Year;
    int Month;
};
MonthlyStart FirstMonthlyMonth(const QDateTime& saveMoment, int day, int hour, int minute);

// Writes the reminder in the fixed key order as one atomic update: the save moment as
// the last-fired stamp, the three kind flags, the chosen kind's keys, the six action
// flags and the three texts. Throws StoreError and leaves the file untouched on failure.
// A new reminder takes a file of its own: with ProfileFile::New nothing is written and false
// returned when a file is already at the path (another reminder's: on Windows "gym" names
// the file of "Gym"; or one another program made after the list was read).
bool SaveReminder(const QString& path, const TReminder& reminder, const QDateTime& saveMoment,
                  ProfileFile which = ProfileFile::Any);

// Reads what the editor's pages take back. Throws StoreError("'<text>' is not a valid
// integer value") for the first schedule integer that is present but not a number.
TReminder LoadReminder(const QString& path);

// What the scheduler's due tests decide on: the three schedules and the last-fired stamp.
struct TResidentSchedule {
    TDateSchedule Date;
    TDaysSchedule Days;
    TMonthlySchedule Monthly;
    TProcStamp LastProc;
    bool operator==(const TResidentSchedule&) const = default;
};
// Reads it with the scheduler's defaults: 1 for every number, false for every flag.
TResidentSchedule ReadResidentSchedule(const ProfileSnapshot& file);

// What a due reminder does, with the scheduler's defaults: no flag set, empty texts.
struct TReminderActions {
    bool SayTime = false;
    bool SayDay = false;
    bool PlayMP3 = false;
    bool Display = false;
    bool SayMsg = false;
    bool Open = false;
    QString Msg;
    QString MP3File;
    QString OpenFile;
    bool operator==(const TReminderActions&) const = default;
};
TReminderActions ReadReminderActions(const ProfileSnapshot& file);

// What the editor's summary shows, with its defaults: the month and day as stored text.
struct TReminderSummary {
    bool DateCk = false;
    QString DateMonth;
    QString DateDay;
    int DateHr = 0;
    int DateMin = 0;
    bool DateRepeat = false;
    bool DaysCk = false;
    bool Mon = false, Tue = false, Wed = false, Thu = false, Fri = false, Sat = false, Sun = false;
    int DaysHr = 0;
    int DaysMin = 0;
    bool MonthlyCk = false;
    QString MonthlyDay;
    int MonthlyHr = 0;
    int MonthlyMin = 0;
    bool SayTime = false, SayDay = false, PlayMP3 = false, Display = false, SayMsg = false,
         Open = false;
    QString Msg;
};
TReminderSummary ReadReminderSummary(const QString& path);

struct ProfileKeyWrite;
// The key writes that turn one schedule state of the scheduler into another, in the order
// the due tests make them: the yearly advance, the monthly advance, then the stamp. Empty
// when the two agree on all of these.
QList<ProfileKeyWrite> ScheduleWrites(const TResidentSchedule& from, const TResidentSchedule& to);
