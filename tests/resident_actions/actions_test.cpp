// The actions of a due reminder against fakes: order, texts, the speech failure routine.
#include "actions.h"

#include "fakes.h"
#include "profile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class RecordingDisplay : public IReminderDisplay {
public:
    explicit RecordingDisplay(QStringList& log) : log_(log) {}
    void ShowReminder(const QStringList& lines) override
    {
        log_ << QStringLiteral("display:") + lines.value(4);
        shown << lines;
    }
    QList<QStringList> shown;

private:
    QStringList& log_;
};

class ActionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Timer1.setInterval(60000);
        Timer1.start();
        speech.onSpeak = [this](const QString& t) { log << QStringLiteral("say:") + t; };
        messages.onShow = [this](const ShownMessage& m) {
            log << QStringLiteral("box:") + m.text;
            timerDuringBox << Timer1.isActive();
        };
        audio = dir.path() + QStringLiteral("/song.ogg");
        document = dir.path() + QStringLiteral("/notes.txt");
        WriteFile(audio);
        WriteFile(document);
    }
    static void WriteFile(const QString& path)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    void Perform(const QByteArray& ini)
    {
        actions.PerformActions(ReadReminderActions(ProfileSnapshot::FromBytes(ini)), QStringLiteral("09:05 AM"),
                               QStringLiteral("0905"), QStringLiteral("MONDAY"));
        for (const QString& call : shell.calls)
            log << call;
        shell.calls.clear();
    }
    QByteArray Flags(const char* on, const QString& msg, const QString& mp3, const QString& open) const
    {
        QByteArray ini;
        for (const char* s : {"SayTime", "SayDay", "Display", "SayMsg", "PlayMP3", "Open"})
            ini += QByteArray("[") + s + "]\nCk=" + (QByteArray(on).contains(s) ? "1" : "0") + "\n";
        return ini + "[Reminder]\nMsg=" + msg.toUtf8() + "\nOpen=" + open.toUtf8() + "\nMP3=" + mp3.toUtf8() + "\n";
    }

    QTemporaryDir dir;
    QString audio, document;
    QStringList log;
    QList<bool> timerDuringBox;
    FakeClock clock{QDateTime(QDate(2026, 6, 1), QTime(9, 5, 30))};
    FakeMessages messages;
    FakeSpeech speech;
    FakeShell shell;
    QTimer Timer1;
    RecordingDisplay display{log};
    ReminderActions actions{clock, messages, speech, shell, Timer1, display};
};

} // namespace

TEST_F(ActionsTest, EveryActionInTheFixedOrder)
{
    // The file lists the sections in another order; the actions keep theirs.
    Perform("[Open]\nCk=1\n[PlayMP3]\nCk=1\n[SayMsg]\nCk=1\n[Display]\nCk=1\n[SayDay]\nCk=1\n[SayTime]\nCk=1\n"
            "[Reminder]\nMsg=Take the medicine\nOpen=" + document.toUtf8() + "\nMP3=" + audio.toUtf8() + "\n");
    EXPECT_EQ(log, (QStringList{"say:The current time is 09:05 AM", "say:Today is MONDAY",
                                "display:Take the medicine", "say:Take the medicine",
                                "open:" + audio, "open:" + document}));
    EXPECT_EQ(shell.shows, (QList<ShellShow>{ShellShow::Maximized, ShellShow::Maximized}));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(ActionsTest, OnlyFlaggedActionsRun)
{
    Perform(Flags("SayDay,PlayMP3", QStringLiteral("Hi"), audio, document));
    EXPECT_EQ(log, (QStringList{"say:Today is MONDAY", "open:" + audio}));
    log.clear();
    Perform("[SayTime]\nCk=0\n[Display]\nCk=yes\n[Open]\nCk=-1\n[Reminder]\nOpen=" + document.toUtf8() + "\n");
    EXPECT_EQ(log, QStringList{"open:" + document});
}

TEST_F(ActionsTest, DisplayLinesCarryTheMomentAndTheMessage)
{
    const QDateTime now(QDate(2026, 6, 1), QTime(9, 5, 30));
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(DisplayLines(QStringLiteral("Call mum"), now, QStringLiteral("09:05 AM"), us),
              (QStringList{"Reminder Message: 6/1/26 9:05:30 AM (09:05 AM)", " ", "Nelvora Reminder:", " ",
                           "Call mum", " "}));
    // The long time never names the zone, wherever the locale data puts it.
    const auto first = [&now](QLocale::Language language, QLocale::Territory territory) {
        return DisplayLines(QStringLiteral("x"), now, QStringLiteral("09:05 AM"), QLocale(language, territory)).first();
    };
    EXPECT_EQ(first(QLocale::German, QLocale::Germany), "Reminder Message: 01.06.26 09:05:30 (09:05 AM)");
    EXPECT_EQ(first(QLocale::Chinese, QLocale::China), "Reminder Message: 2026/6/1 09:05:30 (09:05 AM)");
    EXPECT_EQ(TimeFormatWithoutZone(QStringLiteral("H:mm:ss (t)")), QStringLiteral("H:mm:ss"));
    EXPECT_EQ(TimeFormatWithoutZone(QStringLiteral("HH 'at' mm tttt")), QStringLiteral("HH 'at' mm"));
    EXPECT_EQ(TimeFormatWithoutZone(QStringLiteral("HH:mm:ss")), QStringLiteral("HH:mm:ss"));

    Perform(Flags("Display", QStringLiteral("Call mum"), {}, {}));
    ASSERT_EQ(display.shown.size(), 1);
    EXPECT_EQ(display.shown[0], DisplayLines(QStringLiteral("Call mum"), now, QStringLiteral("09:05 AM")));
    EXPECT_FALSE(display.shown[0].first().contains(QStringLiteral("UTC")));
}

TEST_F(ActionsTest, BlankMessagesAndMissingFilesExplainThemselves)
{
    Perform(Flags("Display,SayMsg", {}, {}, {}));
    EXPECT_EQ(messages.shown,
              (QList<ShownMessage>{{"notice", "You had a reminder set to display a message, but your message was blank."},
                                   {"notice", "You had a reminder set to say a message, but your message was blank."}}));
    EXPECT_TRUE(speech.spoken.isEmpty());

    messages.shown.clear();
    const QString missing = dir.path() + QStringLiteral("/gone.mp3");
    Perform(Flags("PlayMP3,Open", {}, {}, {}));
    Perform(Flags("PlayMP3,Open", {}, missing, dir.path()));
    EXPECT_EQ(messages.Texts(),
              (QStringList{"You had a reminder set to play an audio file. The audio file could not be found: ",
                           "You had a reminder set to open a file. The file could not be found: ",
                           "You had a reminder set to play an audio file. The audio file could not be found: " + missing,
                           "You had a reminder set to open a file. The file could not be found: " + dir.path()}));
    for (const ShownMessage& m : messages.shown)
        EXPECT_EQ(m.kind, QStringLiteral("notice"));
    EXPECT_FALSE(log.join(QLatin1Char('|')).contains(QStringLiteral("open:")));
    // These boxes leave the timer running.
    EXPECT_FALSE(timerDuringBox.contains(false));
}

TEST_F(ActionsTest, SpeechFailureRoutineForEachSpeakingAction)
{
    speech.works = false;
    shell.calls.clear();
    Perform(Flags("SayTime,SayDay,Display,SayMsg,Open", QStringLiteral("Stretch"), {}, document));
    const QString prefix = QStringLiteral("Nelvora was setup by you to have a \"voice\" reminder to say ");
    const QString middle = QStringLiteral(", however your pc does not support voice activation (Windows XP or later "
                                          "contain voice activation). Please use the other reminder option to display ");
    EXPECT_EQ(log, (QStringList{
                       "say:The current time is 09:05 AM",
                       "box:" + prefix + "the time" + middle + "the time and message instead of saying it. The time is: 09:05 AM 0905",
                       "say:Today is MONDAY",
                       "box:" + prefix + "the current day" + middle + "the day, time, or message instead of saying it. The day is: MONDAY",
                       "display:Stretch",
                       "say:Stretch",
                       "box:" + prefix + "your message" + middle + "your message instead of saying it. Your message was: Stretch",
                       "beep", "pending", "beep", "pending", "beep", "pending", // shell calls, logged at the end
                       "open:" + document}));
    // Off while each box is open, on afterwards with a fresh interval.
    EXPECT_EQ(timerDuringBox, (QList<bool>{false, false, false}));
    EXPECT_TRUE(Timer1.isActive());
    EXPECT_EQ(Timer1.remainingTime() > 59000, true);
}

TEST_F(ActionsTest, SpeechFailureLeavesAStoppedTimerStopped)
{
    speech.works = false;
    Timer1.stop();
    Perform(Flags("SayTime", {}, {}, {}));
    EXPECT_EQ(messages.shown.size(), 1);
    EXPECT_FALSE(Timer1.isActive());
}
