#include "reminder.h"

#include "filenames.h"
#include "folder.h"
#include "profile.h"

#include <QFileInfo>

#include <charconv>

namespace {

QString Num(int n) { return QString::number(n); }
QString Flag(bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); }

ProfileKeyWrite KeyWrite(const char* section, const char* key, const QString& value)
{
    return {QString::fromLatin1(section), QString::fromLatin1(key), value};
}

// The editor's integer reads: the stored text (or the default text when the key is
// absent) must be a number; an empty value is not replaced by the default.
int LoadInteger(const ProfileSnapshot& file, const char* section, const char* key, const char* defText)
{
    const QString text = file.Value(QString::fromLatin1(section), QString::fromLatin1(key))
                             .value_or(QString::fromLatin1(defText));
    const std::optional<int> value = ParseProfileInteger(text);
    if (!value)
        throw StoreError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return *value;
}

bool ReadFlag(const ProfileSnapshot& f, const char* section, const char* key)
{
    return f.ReadBool(QString::fromLatin1(section), QString::fromLatin1(key), false);
}

int ReadNumber(const ProfileSnapshot& f, const char* section, const char* key, int def)
{
    return f.ReadInteger(QString::fromLatin1(section), QString::fromLatin1(key), def);
}

QString ReadText(const ProfileSnapshot& f, const char* section, const char* key)
{
    return f.ReadString(QString::fromLatin1(section), QString::fromLatin1(key), QString());
}

// Every reader takes the weekday flags and the action flags the same way.
template <typename T>
void ReadWeekdays(const ProfileSnapshot& f, T& d)
{
    d.Mon = ReadFlag(f, "Days", "Mon");
    d.Tue = ReadFlag(f, "Days", "Tue");
    d.Wed = ReadFlag(f, "Days", "Wed");
    d.Thu = ReadFlag(f, "Days", "Thu");
    d.Fri = ReadFlag(f, "Days", "Fri");
    d.Sat = ReadFlag(f, "Days", "Sat");
    d.Sun = ReadFlag(f, "Days", "Sun");
}

template <typename T>
void ReadActionFlags(const ProfileSnapshot& f, T& r)
{
    r.SayTime = ReadFlag(f, "SayTime", "Ck");
    r.SayDay = ReadFlag(f, "SayDay", "Ck");
    r.PlayMP3 = ReadFlag(f, "PlayMP3", "Ck");
    r.Display = ReadFlag(f, "Display", "Ck");
    r.SayMsg = ReadFlag(f, "SayMsg", "Ck");
    r.Open = ReadFlag(f, "Open", "Ck");
}

} // namespace

QString ReminderFileName(const QString& name)
{
    return ReminderFolder() + QLatin1Char('/') + name + QStringLiteral(".ini");
}

QString TwoDigits(int n)
{
    return n < 10 ? QLatin1Char('0') + QString::number(n) : QString::number(n);
}

QString StampText(int year, int month, int day, int hour, int minute)
{
    // Built in one buffer: the tick makes several stamps for every file each minute.
    char buffer[64];
    char* at = std::to_chars(buffer, buffer + 12, year).ptr;
    for (const int n : {month, day, hour, minute}) {
        if (n < 10)
            *at++ = '0';
        at = std::to_chars(at, at + 12, n).ptr;
    }
    return QString::fromLatin1(buffer, at - buffer);
}

MonthlyStart FirstMonthlyMonth(const QDateTime& saveMoment, int day, int hour, int minute)
{
    const QDate d = saveMoment.date();
    const QTime t = saveMoment.time();
    const QString saved = StampText(d.year(), d.month(), d.day(), t.hour(), t.minute());
    // Compared as the scheduler compares: the reminder fires in the first month whose
    // moment sorts after the save stamp.
    if (StampText(d.year(), d.month(), day, hour, minute) > saved)
        return {d.year(), d.month()};
    return d.month() == 12 ? MonthlyStart{d.year() + 1, 1} : MonthlyStart{d.year(), d.month() + 1};
}

bool SaveReminder(const QString& path, const TReminder& r, const QDateTime& saveMoment, ProfileFile which)
{
    const QDate d = saveMoment.date();
    const QTime t = saveMoment.time();
    QList<ProfileKeyWrite> w{
        KeyWrite("LastProc", "YR", Num(d.year())), KeyWrite("LastProc", "MO", Num(d.month())),
        KeyWrite("LastProc", "DY", Num(d.day())),  KeyWrite("LastProc", "HR", Num(t.hour())),
        KeyWrite("LastProc", "MN", Num(t.minute())), KeyWrite("LastProc", "AM", QStringLiteral("1")),
        KeyWrite("LastProc", "PM", QStringLiteral("0")),
        KeyWrite("Date", "Ck", QStringLiteral("0")), KeyWrite("Days", "Ck", QStringLiteral("0")),
        KeyWrite("Monthly", "Ck", QStringLiteral("0")),
    };
    if (r.Date.Ck) {
        w << KeyWrite("Date", "Ck", QStringLiteral("1")) << KeyWrite("Date", "Year", Num(r.Date.Year))
          << KeyWrite("Date", "Month", Num(r.Date.Month)) << KeyWrite("Date", "Day", Num(r.Date.Day))
          << KeyWrite("Date", "Hr", Num(r.Date.Hr)) << KeyWrite("Date", "Min", Num(r.Date.Min))
          << KeyWrite("Date", "Repeat", Flag(r.Date.Repeat));
    }
    if (r.Days.Ck) {
        w << KeyWrite("Days", "Ck", QStringLiteral("1")) << KeyWrite("Days", "Mon", Flag(r.Days.Mon))
          << KeyWrite("Days", "Tue", Flag(r.Days.Tue)) << KeyWrite("Days", "Wed", Flag(r.Days.Wed))
          << KeyWrite("Days", "Thu", Flag(r.Days.Thu)) << KeyWrite("Days", "Fri", Flag(r.Days.Fri))
          << KeyWrite("Days", "Sat", Flag(r.Days.Sat)) << KeyWrite("Days", "Sun", Flag(r.Days.Sun))
          << KeyWrite("Days", "Year", QStringLiteral("2005")) << KeyWrite("Days", "Month", QStringLiteral("1"))
          << KeyWrite("Days", "Day", QStringLiteral("1")) << KeyWrite("Days", "Hr", Num(r.Days.Hr))
          << KeyWrite("Days", "Min", Num(r.Days.Min));
    }
    if (r.Monthly.Ck) {
        const MonthlyStart first = FirstMonthlyMonth(saveMoment, r.Monthly.Day, r.Monthly.Hr, r.Monthly.Min);
        w << KeyWrite("Monthly", "Ck", QStringLiteral("1")) << KeyWrite("Monthly", "Year", Num(first.Year))
          << KeyWrite("Monthly", "Month", Num(first.Month)) << KeyWrite("Monthly", "Day", Num(r.Monthly.Day))
          << KeyWrite("Monthly", "Hr", Num(r.Monthly.Hr)) << KeyWrite("Monthly", "Min", Num(r.Monthly.Min));
    }
    w << KeyWrite("SayTime", "Ck", Flag(r.SayTime)) << KeyWrite("SayDay", "Ck", Flag(r.SayDay))
      << KeyWrite("PlayMP3", "Ck", Flag(r.PlayMP3)) << KeyWrite("Display", "Ck", Flag(r.Display))
      << KeyWrite("SayMsg", "Ck", Flag(r.SayMsg)) << KeyWrite("Open", "Ck", Flag(r.Open))
      << KeyWrite("Reminder", "Msg", r.Msg) << KeyWrite("Reminder", "Open", r.OpenFile)
      << KeyWrite("Reminder", "MP3", r.MP3File);
    // One locked, atomic update: a failed save leaves the old file as it was.
    return WriteProfileStrings(path, w, which);
}

TReminder LoadReminder(const QString& path)
{
    const ProfileSnapshot f = ProfileSnapshot::Read(path);
    TReminder r;
    QString name = DisplayFileName(QFileInfo(path).fileName());
    if (name.endsWith(QStringLiteral(".ini")))
        name.chop(4);
    r.Name = name;

    r.Date.Ck = ReadFlag(f, "Date", "Ck");
    if (r.Date.Ck) {
        r.Date.Year = LoadInteger(f, "Date", "Year", "2005");
        r.Date.Month = LoadInteger(f, "Date", "Month", "01");
        r.Date.Day = LoadInteger(f, "Date", "Day", "01");
        r.Date.Hr = LoadInteger(f, "Date", "Hr", "01");
        r.Date.Min = LoadInteger(f, "Date", "Min", "01");
        r.Date.Repeat = ReadFlag(f, "Date", "Repeat");
    }
    r.Days.Ck = ReadFlag(f, "Days", "Ck");
    if (r.Days.Ck) {
        ReadWeekdays(f, r.Days);
        r.Days.Hr = LoadInteger(f, "Days", "Hr", "01");
        r.Days.Min = LoadInteger(f, "Days", "Min", "01");
    }
    r.Monthly.Ck = ReadFlag(f, "Monthly", "Ck");
    if (r.Monthly.Ck) {
        r.Monthly.Day = LoadInteger(f, "Monthly", "Day", "01");
        r.Monthly.Hr = LoadInteger(f, "Monthly", "Hr", "01");
        r.Monthly.Min = LoadInteger(f, "Monthly", "Min", "01");
    }
    ReadActionFlags(f, r);
    r.Msg = ReadText(f, "Reminder", "Msg");
    r.OpenFile = ReadText(f, "Reminder", "Open");
    r.MP3File = ReadText(f, "Reminder", "MP3");
    return r;
}

TResidentSchedule ReadResidentSchedule(const ProfileSnapshot& f)
{
    // Literal names: every file is read with these each minute, and a name made from a
    // C string would cost an allocation per key.
    const QString date = QStringLiteral("Date"), days = QStringLiteral("Days"),
                  monthly = QStringLiteral("Monthly"), last = QStringLiteral("LastProc"),
                  ck = QStringLiteral("Ck"), year = QStringLiteral("Year"), month = QStringLiteral("Month"),
                  day = QStringLiteral("Day"), hr = QStringLiteral("Hr"), min = QStringLiteral("Min");
    const auto flag = [&f](const QString& section, const QString& key) { return f.ReadBool(section, key, false); };
    const auto number = [&f](const QString& section, const QString& key) { return f.ReadInteger(section, key, 1); };
    TResidentSchedule r;
    r.Date = {flag(date, ck), number(date, year), number(date, month), number(date, day),
              number(date, hr), number(date, min), flag(date, QStringLiteral("Repeat"))};
    r.Days = {flag(days, ck), flag(days, QStringLiteral("Mon")), flag(days, QStringLiteral("Tue")),
              flag(days, QStringLiteral("Wed")), flag(days, QStringLiteral("Thu")),
              flag(days, QStringLiteral("Fri")), flag(days, QStringLiteral("Sat")),
              flag(days, QStringLiteral("Sun")), number(days, hr), number(days, min)};
    r.Monthly = {flag(monthly, ck), number(monthly, year), number(monthly, month), number(monthly, day),
                 number(monthly, hr), number(monthly, min)};
    r.LastProc = {number(last, QStringLiteral("YR")), number(last, QStringLiteral("MO")),
                  number(last, QStringLiteral("DY")), number(last, QStringLiteral("HR")),
                  number(last, QStringLiteral("MN"))};
    return r;
}

TReminderActions ReadReminderActions(const ProfileSnapshot& f)
{
    TReminderActions a;
    ReadActionFlags(f, a);
    a.Msg = ReadText(f, "Reminder", "Msg");
    a.MP3File = ReadText(f, "Reminder", "MP3");
    a.OpenFile = ReadText(f, "Reminder", "Open");
    return a;
}

TReminderSummary ReadReminderSummary(const QString& path)
{
    const ProfileSnapshot f = ProfileSnapshot::Read(path);
    TReminderSummary s;
    s.DateCk = ReadFlag(f, "Date", "Ck");
    s.DateMonth = ReadText(f, "Date", "Month");
    s.DateDay = ReadText(f, "Date", "Day");
    s.DateHr = ReadNumber(f, "Date", "Hr", 0);
    s.DateMin = ReadNumber(f, "Date", "Min", 0);
    s.DateRepeat = ReadFlag(f, "Date", "Repeat");
    s.DaysCk = ReadFlag(f, "Days", "Ck");
    ReadWeekdays(f, s);
    s.DaysHr = ReadNumber(f, "Days", "Hr", 0);
    s.DaysMin = ReadNumber(f, "Days", "Min", 0);
    s.MonthlyCk = ReadFlag(f, "Monthly", "Ck");
    s.MonthlyDay = ReadText(f, "Monthly", "Day");
    s.MonthlyHr = ReadNumber(f, "Monthly", "Hr", 0);
    s.MonthlyMin = ReadNumber(f, "Monthly", "Min", 0);
    ReadActionFlags(f, s);
    s.Msg = ReadText(f, "Reminder", "Msg");
    return s;
}

QList<ProfileKeyWrite> ScheduleWrites(const TResidentSchedule& from, const TResidentSchedule& to)
{
    QList<ProfileKeyWrite> w;
    const auto put = [&w](const QString& section, const QString& key, int value) {
        w.append({section, key, QString::number(value)});
    };
    if (from.Date.Year != to.Date.Year)
        put(QStringLiteral("Date"), QStringLiteral("Year"), to.Date.Year);
    if (from.Monthly.Year != to.Monthly.Year || from.Monthly.Month != to.Monthly.Month) {
        put(QStringLiteral("Monthly"), QStringLiteral("Year"), to.Monthly.Year);
        put(QStringLiteral("Monthly"), QStringLiteral("Month"), to.Monthly.Month);
    }
    if (!(from.LastProc == to.LastProc)) {
        const QString last = QStringLiteral("LastProc");
        put(last, QStringLiteral("YR"), to.LastProc.YR);
        put(last, QStringLiteral("MO"), to.LastProc.MO);
        put(last, QStringLiteral("DY"), to.LastProc.DY);
        put(last, QStringLiteral("HR"), to.LastProc.HR);
        put(last, QStringLiteral("MN"), to.LastProc.MN);
    }
    return w;
}
