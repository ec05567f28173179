// The message window and the scheduler that feeds it, driven through real reminder files.
#include "frmmsg.h"
#include "scheduler.h"

#include "fakes.h"
#include "folder.h"
#include "tempenv.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QByteArray DisplayReminder(const QString& msg, const char* extra = "")
{
    return "[LastProc]\nYR=2026\nMO=5\nDY=1\nHR=0\nMN=0\n[Days]\nCk=1\nMon=1\nHr=9\nMin=0\n"
           "[Display]\nCk=1\n" + QByteArray(extra) + "[Reminder]\nMsg=" + msg.toUtf8() + "\n";
}

class SchedulerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(InitReminderFolder());
        SetGeometryFile(ResidentGeometryFile());
        Timer1.setInterval(60000);
        scheduler = std::make_unique<ResidentScheduler>(Timer1, clock, messages, speech, shell);
        Timer1.start();
    }
    void TearDown() override { scheduler.reset(); }

    void Put(const QString& name, const QByteArray& ini) { WriteAll(xdg.Folder() + "/" + name + ".ini", ini); }
    void TickAt(int h, int mi)
    {
        clock.Set(2026, 6, 1, h, mi); // a Monday
        scheduler->Timer1Timer();
    }
    QStringList MemoLines() const { return scheduler->FrmMsg()->Memo1()->toPlainText().split(QLatin1Char('\n')); }

    TempXdg xdg;
    FakeClock clock;
    FakeMessages messages;
    FakeSpeech speech;
    FakeShell shell;
    QTimer Timer1;
    std::unique_ptr<ResidentScheduler> scheduler;
};

} // namespace

TEST_F(SchedulerTest, MessageWindowIsBuiltHiddenWithItsControls)
{
    TFrmMsg* frm = scheduler->FrmMsg();
    EXPECT_FALSE(frm->isVisible());
    EXPECT_EQ(frm->objectName(), QStringLiteral("FrmMsg"));
    EXPECT_EQ(frm->windowTitle(), QStringLiteral("Nelvora Reminder"));
    EXPECT_EQ(frm->size(), QSize(477, 240));
    // The controls come with the first show, however it is asked for.
    frm->show();
    auto* memo = frm->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    ASSERT_NE(memo, nullptr);
    EXPECT_TRUE(memo->isVisible());
    EXPECT_EQ(memo, frm->Memo1());
    auto* ok = frm->findChild<QPushButton*>(QStringLiteral("CmdExit"));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("Ok"));
    EXPECT_EQ(ok->geometry(), QRect(386, 181, 75, 23));
    EXPECT_EQ(frm->Memo1()->geometry(), QRect(5, 5, 457, 170));
    EXPECT_EQ(frm->palette().color(QPalette::Window), QColor(215, 215, 215));
    EXPECT_EQ(frm->Memo1()->palette().color(QPalette::Base), QColor(245, 245, 245));
}

TEST_F(SchedulerTest, TwoRemindersInOneTickAddTwelveLinesAfterTheStartingEmptyLine)
{
    Put(QStringLiteral("First"), DisplayReminder(QStringLiteral("first message")));
    Put(QStringLiteral("Second"), DisplayReminder(QStringLiteral("second message")));
    TickAt(9, 0);
    TFrmMsg* frm = scheduler->FrmMsg();
    EXPECT_TRUE(frm->isVisible());
    const QStringList lines = MemoLines();
    ASSERT_EQ(lines.size(), 13);
    EXPECT_EQ(lines[0], QString());
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Reminder Message: ")));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(" (09:00 AM)")));
    EXPECT_EQ(lines.mid(2, 5), (QStringList{" ", "Nelvora Reminder:", " ", lines[5], " "}));
    EXPECT_TRUE(lines[7].startsWith(QStringLiteral("Reminder Message: ")));
    QStringList messagesShown{lines[5], lines[11]};
    // Both in the order the tick visited them, each once.
    messagesShown.sort();
    EXPECT_EQ(messagesShown, (QStringList{"first message", "second message"}));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(SchedulerTest, OkEmptiesTheTextAndTheTitleBarKeepsIt)
{
    Put(QStringLiteral("One"), DisplayReminder(QStringLiteral("one")));
    TickAt(9, 0);
    TFrmMsg* frm = scheduler->FrmMsg();
    frm->resize(600, 320);
    QTest::mouseClick(frm->CmdExit(), Qt::LeftButton);
    EXPECT_FALSE(frm->isVisible());
    EXPECT_TRUE(frm->Memo1()->toPlainText().isEmpty());
    EXPECT_EQ(ReadFormWidth(QStringLiteral("FrmMsg")), 600);
    EXPECT_EQ(ReadFormHeight(QStringLiteral("FrmMsg")), 320);

    // After "Ok" the next reminder starts on the first line.
    Put(QStringLiteral("Two"), DisplayReminder(QStringLiteral("two")));
    TickAt(9, 1);
    ASSERT_EQ(MemoLines().size(), 6);
    EXPECT_EQ(MemoLines()[4], QStringLiteral("two"));

    // The title bar's close hides the window and keeps the text for the next reminder.
    frm->resize(500, 260);
    EXPECT_TRUE(frm->close());
    EXPECT_FALSE(frm->isVisible());
    EXPECT_EQ(ReadFormWidth(QStringLiteral("FrmMsg")), 500);
    Put(QStringLiteral("Three"), DisplayReminder(QStringLiteral("three")));
    TickAt(9, 2);
    EXPECT_TRUE(frm->isVisible());
    const QStringList lines = MemoLines();
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines[4], QStringLiteral("two"));
    EXPECT_EQ(lines[10], QStringLiteral("three"));
}

TEST_F(SchedulerTest, SavedSizeIsRestoredByTheNextScheduler)
{
    ASSERT_TRUE(WriteFormSize(QStringLiteral("FrmMsg"), 640, 0));
    scheduler.reset();
    scheduler = std::make_unique<ResidentScheduler>(Timer1, clock, messages, speech, shell);
    EXPECT_EQ(scheduler->FrmMsg()->size(), QSize(640, 240));
}

TEST_F(SchedulerTest, TickDuringSpeechRunsOnceRightAfter)
{
    Put(QStringLiteral("Speaker"), "[LastProc]\nYR=2026\nMO=5\nDY=1\nHR=0\nMN=0\n[Days]\nCk=1\nMon=1\nHr=9\nMin=0\n"
                                   "[SayMsg]\nCk=1\n[Reminder]\nMsg=hello\n");
    Put(QStringLiteral("Later"), "[LastProc]\nYR=2026\nMO=5\nDY=1\nHR=0\nMN=0\n[Days]\nCk=1\nMon=1\nHr=9\nMin=1\n"
                                 "[Display]\nCk=1\n[Reminder]\nMsg=later\n");
    int ticksDuringSpeech = 0;
    speech.onSpeak = [&](const QString&) {
        clock.Set(2026, 6, 1, 9, 1);
        // Held back, not piled up, and not run inside the speech.
        scheduler->Timer1Timer();
        scheduler->Timer1Timer();
        ticksDuringSpeech = MemoLines().size();
    };
    TickAt(9, 0);
    EXPECT_EQ(ticksDuringSpeech, 1);
    EXPECT_EQ(speech.spoken, QStringList{"hello"});
    speech.onSpeak = nullptr;
    QCoreApplication::processEvents();
    EXPECT_EQ(MemoLines().size(), 7); // "Later" shown once by the held tick
    QCoreApplication::processEvents();
    EXPECT_EQ(MemoLines().size(), 7);
}

TEST_F(SchedulerTest, HeldTickIsDroppedWhenTheTimerWasSwitchedOff)
{
    Put(QStringLiteral("Speaker"), "[Days]\nCk=1\nMon=1\nHr=9\nMin=0\n[SayTime]\nCk=1\n");
    Put(QStringLiteral("Later"), "[Days]\nCk=1\nMon=1\nHr=9\nMin=1\n[Display]\nCk=1\n[Reminder]\nMsg=later\n");
    speech.onSpeak = [&](const QString&) {
        clock.Set(2026, 6, 1, 9, 1);
        scheduler->Timer1Timer();
        Timer1.stop();
    };
    TickAt(9, 0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(scheduler->FrmMsg()->isVisible());
    EXPECT_EQ(speech.spoken.size(), 1);
}
