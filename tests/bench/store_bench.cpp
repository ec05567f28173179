// How long the store takes for what the programs do most: one save, and the scheduler's
// minute scan of 1,000 reminders, key by key and through one snapshot per file, beside a
// plain read of the same files.
#include "folder.h"
#include "profile.h"
#include "reminder.h"
#include "tempenv.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kFiles = 1000;
constexpr int kSweeps = 7;
constexpr int kSaves = 301;

double Milliseconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

TReminder FullReminder()
{
    TReminder r;
    r.Date = {true, 2026, 8, 3, 9, 0, true};
    r.Days = {false, true, false, true, false, true, false, false, 7, 30};
    r.Monthly = {false, 2026, 6, 17, 14, 3};
    r.SayTime = r.SayDay = r.PlayMP3 = r.Display = r.SayMsg = r.Open = true;
    r.Msg = "Take the medicine with a glass of water before breakfast";
    r.OpenFile = "/home/user/Documents/medicine schedule.pdf";
    r.MP3File = "/home/user/Music/chime.mp3";
    return r;
}

// The keys the scheduler reads, one file operation each.
long ReadKeyByKey(const QString& path)
{
    long sum = 0;
    for (const char* k : {"YR", "MO", "DY", "HR", "MN"})
        sum += ReadProfileInteger(path, "LastProc", k, 1);
    for (const char* s : {"Date", "Days", "Monthly", "SayTime", "SayDay", "PlayMP3", "Display", "SayMsg", "Open"})
        sum += ProfileSnapshot::Read(path).ReadBool(s, "Ck", false);
    for (const char* k : {"Year", "Month", "Day", "Hr", "Min"})
        sum += ReadProfileInteger(path, "Date", k, 1) + ReadProfileInteger(path, "Monthly", k, 1);
    sum += ProfileSnapshot::Read(path).ReadBool("Date", "Repeat", false);
    for (const char* k : {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"})
        sum += ProfileSnapshot::Read(path).ReadBool("Days", k, false);
    sum += ReadProfileInteger(path, "Days", "Hr", 1) + ReadProfileInteger(path, "Days", "Min", 1);
    for (const char* k : {"Msg", "Open", "MP3"})
        sum += ReadProfileString(path, "Reminder", k, "").size();
    return sum; // 37 reads
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TempXdg env;
    if (!InitReminderFolder(env.Folders())) {
        std::fprintf(stderr, "cannot create the reminder folder\n");
        return 1;
    }
    const TReminder full = FullReminder();
    const QDateTime moment(QDate(2026, 5, 17), QTime(14, 3));
    QStringList paths;
    for (int i = 0; i < kFiles; ++i) {
        paths << ReminderFileName(QString("Reminder %1").arg(i));
        // Every kind once, so the file holds every key.
        TReminder r = full;
        r.Date.Ck = false;
        r.Days.Ck = true;
        SaveReminder(paths.back(), r, moment);
        r.Days.Ck = false;
        r.Monthly.Ck = true;
        SaveReminder(paths.back(), r, moment);
        SaveReminder(paths.back(), full, moment);
    }

    std::vector<double> saves;
    for (int i = 0; i < kSaves; ++i)
        saves.push_back(Milliseconds([&] { SaveReminder(paths[i % kFiles], full, moment.addSecs(60 * i)); }));

    // The text work of one save without the disk: the file's bytes and the keys a full save writes.
    const QByteArray saved = ReadAll(paths[0]);
    QList<ProfileKeyWrite> saveWrites;
    QString section;
    for (const QString& line : QString::fromUtf8(saved).split('\n', Qt::SkipEmptyParts)) {
        if (line.startsWith('['))
            section = line.mid(1, line.size() - 2);
        else
            saveWrites.append({section, line.section('=', 0, 0), line.section('=', 1) + "1"});
    }
    std::vector<double> texts;
    for (int i = 0; i < kSaves; ++i)
        texts.push_back(Milliseconds([&] { ApplyProfileWrites(saved, saveWrites); }));

    long sink = 0;
    std::vector<double> plain, keyed, snapshot;
    for (int sweep = 0; sweep < kSweeps; ++sweep) {
        plain.push_back(Milliseconds([&] {
            for (const QString& p : paths) {
                QFile f(p);
                if (f.open(QIODevice::ReadOnly))
                    sink += f.readAll().size();
            }
        }));
        keyed.push_back(Milliseconds([&] {
            for (const QString& p : paths)
                sink += ReadKeyByKey(p);
        }));
        snapshot.push_back(Milliseconds([&] {
            for (const QString& p : paths)
                sink += ReadResidentSchedule(ProfileSnapshot::Read(p)).Date.Year;
        }));
    }

    const double p = Median(plain), k = Median(keyed), s = Median(snapshot);
    std::printf("file size: %lld bytes\n", static_cast<long long>(QFile(paths[0]).size()));
    std::printf("SaveReminder of a full reminder: median %.3f ms (%d saves)\n", Median(saves), kSaves);
    std::printf("  of which text work (%lld key writes): median %.3f ms\n", static_cast<long long>(saveWrites.size()),
                Median(texts));
    std::printf("scan of %d files, median of %d sweeps:\n", kFiles, kSweeps);
    std::printf("  plain byte read            %8.1f ms  (%.1f us per file)\n", p, 1000 * p / kFiles);
    std::printf("  37 single-key reads        %8.1f ms  (%.1f us per file, %.1fx plain)\n", k, 1000 * k / kFiles,
                k / p);
    std::printf("  snapshot + resident read   %8.1f ms  (%.1f us per file, %.1fx plain)\n", s, 1000 * s / kFiles,
                s / p);
    std::printf("  single-key / snapshot      %8.1fx\n", k / s);
    return sink == 42 ? 2 : 0;
}
