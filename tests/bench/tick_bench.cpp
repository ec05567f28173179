// Timing of the minute tick over many reminder files, beside the floor of reading the
// same files' bytes; and, with --actions, the time from a reminder's actions to its
// message window on screen, without and with the real voice.
//
//   bench_tick [--actions]
#include "actions.h"
#include "fakes.h"
#include "folder.h"
#include "frmmsg.h"
#include "profile.h"
#include "speech.h"
#include "tempenv.h"
#include "tick.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <cstdio>
#include <vector>

namespace {

class NoActions : public IReminderActions {
public:
    void PerformActions(const TReminderActions&, const QString&, const QString&, const QString&) override { ++count; }
    int count = 0;
};

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A mix like a real folder: weekday, one-off dates already fired, yearly and monthly
// reminders ahead, each with the editor's full set of keys. None is due on 10 June 2026 at 12:00.
QByteArray ReminderText(int i)
{
    QString s = QStringLiteral("[LastProc]\nYR=2026\nMO=6\nDY=10\nHR=11\nMN=%1\nAM=1\nPM=0\n").arg(i % 60);
    switch (i % 4) {
    case 0:
        s += QStringLiteral("[Date]\nCk=0\n[Days]\nCk=1\nMon=1\nTue=0\nWed=1\nThu=0\nFri=1\nSat=0\nSun=0\n"
                            "Year=2005\nMonth=1\nDay=1\nHr=%1\nMin=30\n[Monthly]\nCk=0\n").arg(13 + i % 10);
        break;
    case 1:
        s += QStringLiteral("[Date]\nCk=1\nYear=2026\nMonth=3\nDay=%1\nHr=9\nMin=0\nRepeat=0\n[Days]\nCk=0\n[Monthly]\nCk=0\n").arg(1 + i % 28);
        break;
    case 2:
        s += QStringLiteral("[Date]\nCk=1\nYear=2027\nMonth=%1\nDay=5\nHr=8\nMin=15\nRepeat=1\n[Days]\nCk=0\n[Monthly]\nCk=0\n").arg(1 + i % 12);
        break;
    default:
        s += QStringLiteral("[Date]\nCk=0\n[Days]\nCk=0\n[Monthly]\nCk=1\nYear=2026\nMonth=7\nDay=%1\nHr=7\nMin=0\n").arg(1 + i % 28);
        break;
    }
    s += QStringLiteral("[SayTime]\nCk=0\n[SayDay]\nCk=0\n[PlayMP3]\nCk=0\n[Display]\nCk=1\n[SayMsg]\nCk=%1\n[Open]\nCk=0\n"
                        "[Reminder]\nMsg=Reminder number %2: water the plants and call the office\nOpen=\nMP3=\n")
             .arg(i % 2).arg(i);
    return s.toUtf8();
}

void TickBench(int files)
{
    TempXdg xdg;
    InitReminderFolder(xdg.Folders());
    for (int i = 0; i < files; ++i)
        WriteAll(ReminderFolder() + QStringLiteral("/Reminder %1.ini").arg(i), ReminderText(i));

    FakeClock clock(QDateTime(QDate(2026, 6, 10), QTime(12, 0)));
    FakeMessages messages;
    NoActions actions;
    ReminderTicker ticker(clock, messages, actions, [] { return true; }, QString());

    std::vector<double> readMs, tickMs;
    for (int run = 0; run < 9; ++run) {
        QElapsedTimer t;
        t.start();
        qint64 bytes = 0;
        for (const QString& name : ReminderFolderEntries(ReminderFolder()).value_or(QStringList())) {
            QFile f(ReminderFolder() + QLatin1Char('/') + name);
            if (f.open(QIODevice::ReadOnly))
                bytes += f.readAll().size();
        }
        readMs.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        ticker.Timer1Timer();
        tickMs.push_back(t.nsecsElapsed() / 1e6);
        if (bytes == 0 || actions.count != 0 || !messages.shown.isEmpty())
            std::printf("unexpected: %lld bytes, %d fired, %lld boxes\n", static_cast<long long>(bytes),
                        actions.count, static_cast<long long>(messages.shown.size()));
    }
    const double read = Median(readMs), tick = Median(tickMs);
    std::printf("%6d files: read bytes %8.2f ms, tick %8.2f ms, ratio %.2f\n", files, read, tick, tick / read);
}

void ActionsBench()
{
    TempXdg xdg;
    const QString runtime = xdg.Root() + QStringLiteral("/run");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    QDir().mkpath(xdg.ConfigHome() + QStringLiteral("/speech-dispatcher"));
    WriteAll(xdg.ConfigHome() + QStringLiteral("/speech-dispatcher/speechd.conf"),
             "AudioOutputMethod \"alsa\"\nAudioALSADevice \"null\"\n"
             "AddModule \"espeak-ng\" \"sd_espeak-ng\" \"espeak-ng.conf\"\nDefaultModule espeak-ng\nTimeout 5\n");
    InitReminderFolder(xdg.Folders());
    UseResidentGeometry(xdg.Folders());

    SystemClock clock;
    FakeMessages messages;
    const std::unique_ptr<IShell> desktopShell = MakeDesktopShell();
    IShell& shell = *desktopShell;
    const std::unique_ptr<ISpeech> desktopSpeech = MakeDesktopSpeech();
    ISpeech& speech = *desktopSpeech;
    QTimer Timer1;
    TFrmMsg frm;
    ReminderActions actions(clock, messages, speech, shell, Timer1, frm);
    const TReminderActions displayOnly =
        ReadReminderActions(ProfileSnapshot::FromBytes("[Display]\nCk=1\n[Reminder]\nMsg=Water the plants\n"));
    const TReminderActions sayAndDisplay = ReadReminderActions(
        ProfileSnapshot::FromBytes("[SayTime]\nCk=1\n[Display]\nCk=1\n[Reminder]\nMsg=Water the plants\n"));

    const auto measure = [&](const TReminderActions& reminder) {
        frm.CmdExitClick();
        QCoreApplication::processEvents();
        QElapsedTimer t;
        t.start();
        actions.PerformActions(reminder, QStringLiteral("12:00 PM"), QStringLiteral("1200"), QStringLiteral("WEDNESDAY"));
        const double ms = t.nsecsElapsed() / 1e6;
        return frm.isVisible() ? ms : -1.0;
    };
    std::vector<double> display, spoken;
    for (int i = 0; i < 7; ++i)
        display.push_back(measure(displayOnly));
    const double cold = measure(sayAndDisplay);
    for (int i = 0; i < 5; ++i)
        spoken.push_back(measure(sayAndDisplay));
    std::printf("display only: median %.2f ms\n", Median(display));
    std::printf("say time + display: first (engine start) %.0f ms, median after %.0f ms, failure boxes %lld\n",
                cold, Median(spoken), static_cast<long long>(messages.shown.size()));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--actions") {
        ActionsBench();
        return 0;
    }
    TickBench(1000);
    TickBench(10000);
    return 0;
}
