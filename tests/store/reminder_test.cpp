// The reminder file: saving, loading and the readers' defaults.
#include "storetest.h"

#include <QFile>

#include <sys/stat.h>

namespace {

QDateTime At(int y, int mo, int d, int h, int mi, int s = 0) { return QDateTime(QDate(y, mo, d), QTime(h, mi, s)); }

TReminder WeekdayExample()
{
    TReminder r;
    r.Days = {true, true, false, true, false, true, false, false, 7, 30};
    r.Display = r.SayMsg = true;
    r.Msg = "Take the medicine";
    return r;
}

// What a record saves as: two records that save alike carry the same schedule and actions.
QByteArray Saved(const QString& path, const TReminder& r)
{
    QFile::remove(path);
    SaveReminder(path, r, At(2026, 5, 17, 14, 3));
    return ReadAll(path);
}

const QByteArray kStamp = "[LastProc]\nYR=2026\nMO=5\nDY=17\nHR=14\nMN=3\nAM=1\nPM=0\n";
const QByteArray kWeekday = "Mon=1\nTue=0\nWed=1\nThu=0\nFri=1\nSat=0\nSun=0\nYear=2005\nMonth=1\nDay=1\nHr=7\nMin=30\n";
const QByteArray kActions = "[SayTime]\nCk=0\n[SayDay]\nCk=0\n[PlayMP3]\nCk=0\n[Display]\nCk=1\n[SayMsg]\nCk=1\n"
                            "[Open]\nCk=0\n[Reminder]\nMsg=Take the medicine\nOpen=\nMP3=\n";

} // namespace

TEST(ReminderStamps, TextFormAndOrder)
{
    EXPECT_EQ(TwoDigits(0) + TwoDigits(7) + TwoDigits(10) + TwoDigits(100), "000710100");
    EXPECT_EQ(StampText(2026, 3, 7, 9, 5), "202603070905");
    EXPECT_EQ(StampText(1, 1, 1, 1, 1), "101010101");
    EXPECT_EQ(StampText(-5, -1, 100, 2147483647, 0), "-50-1100214748364700"); // hand-edited values
    EXPECT_LT(StampText(1, 1, 1, 1, 1), StampText(2026, 1, 1, 0, 0));
    EXPECT_LT(StampText(2026, 9, 30, 23, 59), StampText(2026, 10, 1, 0, 0));
}

TEST_F(StoreTest, SavesByteForByte)
{
    const QString path = ReminderFileName("Medicine");
    EXPECT_EQ(path, env.Folder() + "/Medicine.ini");
    SaveReminder(path, WeekdayExample(), At(2026, 5, 17, 14, 3, 41));
    EXPECT_EQ(ReadAll(path), kStamp + "[Date]\nCk=0\n[Days]\nCk=1\n" + kWeekday + "[Monthly]\nCk=0\n" + kActions);

    // Changing the kind keeps the old kind's keys under Ck=0; loading then sees the new kind only.
    TReminder r = WeekdayExample();
    r.Days.Ck = false;
    r.Date = {true, 2026, 8, 3, 9, 0, true};
    const QString changed = ReminderFileName("Changed");
    SaveReminder(changed, r, At(2026, 5, 16, 8, 15));
    SaveReminder(changed, WeekdayExample(), At(2026, 5, 17, 14, 3));
    EXPECT_EQ(ReadAll(changed), kStamp + "[Date]\nCk=0\nYear=2026\nMonth=8\nDay=3\nHr=9\nMin=0\nRepeat=1\n[Days]\nCk=1\n" +
                                    kWeekday + "[Monthly]\nCk=0\n" + kActions);
    const TReminder loaded = LoadReminder(changed);
    EXPECT_FALSE(loaded.Date.Ck || loaded.Monthly.Ck);
    EXPECT_EQ(Saved(File("a.ini"), loaded), ReadAll(path));

    // Monthly: Year and Month name the first month due after the save minute.
    r = WeekdayExample();
    r.Days = {};
    r.Monthly = {true, 1999, 12, 17, 14, 3};
    SaveReminder(changed, r, At(2026, 5, 17, 14, 3, 59));
    EXPECT_EQ(ReadAll(changed), kStamp + "[Date]\nCk=0\nYear=2026\nMonth=8\nDay=3\nHr=9\nMin=0\nRepeat=1\n[Days]\nCk=0\n" +
                                 kWeekday + "[Monthly]\nCk=1\nYear=2026\nMonth=6\nDay=17\nHr=14\nMin=3\n" + kActions);
    EXPECT_EQ(Saved(File("a.ini"), LoadReminder(changed)), Saved(File("b.ini"), r));

    // A new reminder never joins a file that is there already; a fresh name gets its own.
    const QByteArray before = ReadAll(changed);
    EXPECT_FALSE(SaveReminder(changed, WeekdayExample(), At(2026, 5, 18, 9, 0), ProfileFile::New));
    EXPECT_EQ(ReadAll(changed), before);
    EXPECT_TRUE(SaveReminder(ReminderFileName("Fresh"), r, At(2026, 5, 17, 14, 3, 59), ProfileFile::New));
    EXPECT_EQ(ReadAll(ReminderFileName("Fresh")), ReadAll(File("b.ini")));
    // The scheduler's stamp never brings back a file deleted since the tick read it.
    EXPECT_FALSE(WriteProfileStrings(File("gone.ini"), {{"LastProc", "YR", "2026"}}, ProfileFile::Existing));
    EXPECT_FALSE(QFileInfo::exists(File("gone.ini")));
}

TEST(ReminderMonthly, FirstMonthIsAfterTheSaveMinute)
{
    const struct {
        QDateTime save;
        int day, hour, minute, year, month;
    } cases[] = {
        {At(2026, 5, 17, 14, 3, 59), 17, 14, 3, 2026, 6}, {At(2026, 5, 17, 14, 3, 59), 17, 14, 4, 2026, 5},
        {At(2026, 5, 17, 14, 3), 18, 0, 0, 2026, 5},      {At(2026, 5, 17, 14, 3), 1, 0, 0, 2026, 6},
        {At(2026, 12, 31, 23, 59), 28, 23, 59, 2027, 1}, {At(2026, 12, 20, 10, 0), 20, 9, 59, 2027, 1},
    };
    for (const auto& c : cases) {
        const MonthlyStart m = FirstMonthlyMonth(c.save, c.day, c.hour, c.minute);
        EXPECT_EQ(m.Year * 100 + m.Month, c.year * 100 + c.month) << c.save.toString().toStdString() << " day " << c.day;
    }
}

TEST_F(StoreTest, FailedSaveWritesNothing)
{
    const QString missing = File("gone/Medicine.ini"), locked = File("Locked.ini");
    EXPECT_EQ(StoreErrorOf([&] { SaveReminder(missing, WeekdayExample(), At(2026, 5, 17, 14, 3)); }),
              WriteError(missing));
    EXPECT_FALSE(QFile::exists(missing));
    WriteAll(locked, "[Date]\nCk=1\n");
    chmod(QFile::encodeName(locked).constData(), 0444);
    EXPECT_EQ(StoreErrorOf([&] { SaveReminder(locked, WeekdayExample(), At(2026, 5, 17, 14, 3)); }),
              WriteError(locked));
    EXPECT_EQ(ReadAll(locked), "[Date]\nCk=1\n");
}

TEST_F(StoreTest, LoadRefusesNonNumbersOfTheChosenKindOnly)
{
    const std::pair<const char*, const char*> cases[] = {
        {"[Date]\nCk=1\nHr=\n", "''"},
        {"[Date]\nCk=1\nMin=1\nYear=x\nMonth=y\n", "'x'"},
        {"[Date]\nCk=1\nMonth= ab c \n", "'ab c'"},
        {"[Date]\nCk=1\nMin=12abc\n", "'12abc'"},
        {"[Days]\nCk=2\nHr=yes\n", "'yes'"},
        {"[Monthly]\nCk=1\nDay=\n", "''"},
        {"[Date]\nCk=0\nHr=x\n[Days]\nCk=yes\nMin=\n[Monthly]\nCk=0\nDay=q\n", nullptr},
    };
    const QString path = File("load.ini");
    for (const auto& [file, text] : cases) {
        WriteAll(path, file);
        EXPECT_EQ(StoreErrorOf([&] { LoadReminder(path); }),
                  text ? QString(text) + " is not a valid integer value" : "<no error>")
            << file;
    }
    WriteAll(path, "[Date]\nCk=-1\nHr=$0A\nMin=0x1e\n");
    const TReminder r = LoadReminder(path);
    EXPECT_EQ(QString("%1 %2-%3-%4 %5:%6").arg(r.Date.Ck).arg(r.Date.Year).arg(r.Date.Month).arg(r.Date.Day)
                  .arg(r.Date.Hr).arg(r.Date.Min),
              "1 2005-1-1 10:30");
}

TEST_F(StoreTest, ReadersApplyTheirOwnDefaults)
{
    // No LastProc, an empty and a wrong hour, both kinds chosen by hand.
    const QString path = File("both.ini");
    WriteAll(path, "[date]\nck=1\nHr=\nDay=03\n[DAYS]\nCK=1\nTue=1\nHr=x\n");
    const TResidentSchedule res = ReadResidentSchedule(ProfileSnapshot::Read(path));
    const TProcStamp& s = res.LastProc;
    EXPECT_EQ(StampText(s.YR, s.MO, s.DY, s.HR, s.MN), "101010101");
    EXPECT_TRUE(res.Date.Ck && res.Days.Ck && res.Days.Tue && !res.Monthly.Ck);
    EXPECT_EQ(QString("%1 %2 %3 %4 %5 %6 %7").arg(res.Date.Year).arg(res.Date.Month).arg(res.Date.Day)
                  .arg(res.Date.Hr).arg(res.Days.Hr).arg(res.Monthly.Year).arg(res.Monthly.Min),
              "1 1 3 1 1 1 1");
    const TReminderSummary sum = ReadReminderSummary(path);
    EXPECT_TRUE(sum.DateCk && sum.DaysCk && sum.Tue && !sum.MonthlyCk);
    EXPECT_EQ(sum.DateMonth + '|' + sum.DateDay + '|' + sum.MonthlyDay, "|03|");
    EXPECT_EQ(sum.DateHr + sum.DateMin + sum.DaysHr, 0);
    WriteAll(path, "[date]\nck=1\n[DAYS]\nCK=1\nTue=1\n");
    const TReminder both = LoadReminder(path);
    EXPECT_TRUE(both.Date.Ck && both.Days.Ck && both.Days.Tue);

    // Lower-case names read exactly like the editor's file.
    WriteAll(path, "[date]\nck=1\nyear=2026\nmonth=8\nday=3\nhr=9\nmin=0\nrepeat=1\n[reminder]\nmsg=Hi\n");
    TReminder r;
    r.Date = {true, 2026, 8, 3, 9, 0, true};
    r.Msg = "Hi";
    EXPECT_EQ(Saved(File("a.ini"), LoadReminder(path)), Saved(File("b.ini"), r));

    // The editor's geometry file shares the folder and reads as inactive.
    SetGeometryFile(EditorGeometryFile());
    ASSERT_TRUE(WriteFormSize("FrmWhen", 600, 700));
    const TResidentSchedule geo = ReadResidentSchedule(ProfileSnapshot::Read(EditorGeometryFile()));
    EXPECT_FALSE(geo.Date.Ck || geo.Days.Ck || geo.Monthly.Ck);
}
