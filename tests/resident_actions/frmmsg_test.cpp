// The message window and the scheduler that feeds it, driven through real reminder files.
#include "form1.h"
#include "frmmsg.h"
#include "scheduler.h"

#include "fakes.h"
#include "folder.h"
#include "look.h"
#include "presence.h"
#include "tempenv.h"

#include <QApplication>
#include <QEventLoop>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTemporaryDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QByteArray DisplayReminder(const QString& msg, const char* extra = "")
{
    return "[LastProc]\nYR=2026\nMO=5\nDY=1\nHR=0\nMN=0\n[Days]\nCk=1\nMon=1\nHr=9\nMin=0\n"
           "[Display]\nCk=1\n" + QByteArray(extra) + "[Reminder]\nMsg=" + msg.toUtf8() + "\n";
}

// A Monday reminder for h:mi, not fired since May; extra adds its action sections.
QByteArray MondayAt(int h, int mi, const QByteArray& extra)
{
    return QStringLiteral("[LastProc]\nYR=2026\nMO=5\nDY=1\nHR=0\nMN=0\n[Days]\nCk=1\nMon=1\nHr=%1\nMin=%2\n")
               .arg(h).arg(mi).toUtf8() + extra;
}
QByteArray Shows(const char* msg) { return QByteArray("[Display]\nCk=1\n[Reminder]\nMsg=") + msg + "\n"; }
QByteArray OpensMissing() { return "[Open]\nCk=1\n[Reminder]\nOpen=/nonexistent/nelvora-test\n"; }

// Whether the line holding this text is wholly inside the text box's view.
bool InView(QPlainTextEdit* memo, const QString& text)
{
    const QTextBlock block = memo->document()->find(text).block();
    if (!block.isValid())
        return false;
    QTextCursor start(block), end(block);
    end.movePosition(QTextCursor::EndOfBlock);
    const QRect view = memo->viewport()->rect();
    return view.contains(memo->cursorRect(start)) && view.contains(memo->cursorRect(end));
}

class SchedulerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(InitReminderFolder(xdg.Folders()));
        UseResidentGeometry(xdg.Folders());
        Timer1.setInterval(60000);
        scheduler = MakeScheduler();
        Timer1.start();
    }
    void TearDown() override { scheduler.reset(); }
    std::unique_ptr<ResidentScheduler> MakeScheduler()
    {
        return std::make_unique<ResidentScheduler>(Timer1, clock, messages, speech, shell,
                                                   UnwrittenTable::DefaultStateFile(xdg.Folders()));
    }

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

// Its fonts are its own, so only a dark scheme can make it hard to read.
TEST_F(SchedulerTest, MessageWindowIsBuiltHiddenWithItsControls)
{
    const AppLook dark(Look::DarkScheme);
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
    EXPECT_EQ(frm->windowIcon().pixmap(22, 22).toImage(), NelvoraIcon().pixmap(22, 22).toImage());
    EXPECT_EQ(FaintTexts(frm), "");
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
    scheduler = MakeScheduler();
    EXPECT_EQ(scheduler->FrmMsg()->size(), QSize(640, 240));
}

// A stored size too small for the text box and the button, or one no window can take,
// still leaves both whole.
TEST_F(SchedulerTest, StoredSizeNeverCutsTheMessageWindow)
{
    ASSERT_TRUE(WriteFormSize(QStringLiteral("FrmMsg"), -20, 50));
    scheduler.reset();
    scheduler = MakeScheduler();
    TFrmMsg* frm = scheduler->FrmMsg();
    EXPECT_TRUE(frm->rect().contains(frm->Memo1()->geometry())) << frm->width() << "x" << frm->height();
    EXPECT_TRUE(frm->rect().contains(frm->CmdExit()->geometry())) << frm->width() << "x" << frm->height();
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

TEST_F(SchedulerTest, NewestReminderIsInViewAndEarlierOnesScrollBack)
{
    TFrmMsg* frm = scheduler->FrmMsg();
    QScrollBar* bar = frm->Memo1()->verticalScrollBar();
    Put(QStringLiteral("First"), DisplayReminder(QStringLiteral("first message")));
    TickAt(9, 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(InView(frm->Memo1(), QStringLiteral("first message")));
    EXPECT_FALSE(bar->isVisible()); // one reminder fits
    Put(QStringLiteral("Second"), DisplayReminder(QStringLiteral("second message")));
    TickAt(9, 1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(InView(frm->Memo1(), QStringLiteral("second message")));
    Put(QStringLiteral("Third"), DisplayReminder(QStringLiteral("third message")));
    TickAt(9, 2);
    QCoreApplication::processEvents();
    EXPECT_TRUE(InView(frm->Memo1(), QStringLiteral("third message")));
    EXPECT_TRUE(InView(frm->Memo1(), QStringLiteral("(09:02 AM)"))); // its first line too
    EXPECT_FALSE(InView(frm->Memo1(), QStringLiteral("first message")));
    // The earlier text is a scroll away.
    ASSERT_TRUE(bar->isVisible());
    bar->setValue(bar->minimum());
    EXPECT_TRUE(InView(frm->Memo1(), QStringLiteral("first message")));
    // "Ok" empties it: nothing to scroll.
    frm->CmdExitClick();
    Put(QStringLiteral("Fourth"), DisplayReminder(QStringLiteral("fourth message")));
    TickAt(9, 3);
    QCoreApplication::processEvents();
    EXPECT_FALSE(bar->isVisible());
}

namespace {

// The real program's window with its real minute timer, made fast: every timeout is one
// minute of the fake clock later.
class ProgramTicksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        xdg.Folders().programFolder = programDir.path() + QLatin1Char('/');
        form = std::make_unique<TForm1>(Form1Env{clock, messages, shell, speech, xdg.Folders(), autostart, *presence});
        QObject::connect(form->Timer1(), &QTimer::timeout, [this] { clock.Set(clock.Now().addSecs(60)); });
        form->Timer1()->setInterval(15);
    }
    void TearDown() override
    {
        form->Timer1()->stop();
        form.reset();
    }
    void Put(const QString& name, const QByteArray& ini) { WriteAll(xdg.Folder() + "/" + name + ".ini", ini); }
    // Stands for a modal box: its own loop, left open until the clock reaches h:mi.
    void KeepOpenUntil(int h, int mi)
    {
        LoopUntil(h, mi);
        closedAt << clock.Now().time().toString(QStringLiteral("HH:mm"));
    }
    QString Memo() const { return form->Scheduler()->FrmMsg()->Memo1()->toPlainText(); }
    void RunUntil(int h, int mi) { LoopUntil(h, mi); }
    // Ends as the minute that reaches h:mi begins, right after the timer moved the clock:
    // a poll of its own could come a timeout late where timers are coarse (Windows).
    void LoopUntil(int h, int mi)
    {
        QEventLoop loop;
        const QMetaObject::Connection reached = QObject::connect(form->Timer1(), &QTimer::timeout, &loop, [&] {
            if (clock.Now().time() >= QTime(h, mi))
                loop.quit();
        });
        if (clock.Now().time() < QTime(h, mi)) {
            QTimer::singleShot(10000, &loop, &QEventLoop::quit); // a failing test ends too
            loop.exec();
        }
        QObject::disconnect(reached);
    }

    TempXdg xdg;
    QTemporaryDir programDir;
    FakeClock clock{QDateTime(QDate(2026, 6, 1), QTime(8, 59))}; // a Monday
    FakeMessages messages;
    FakeShell shell;
    FakeSpeech speech;
    FakeAutostart autostart;
    std::unique_ptr<IPresence> presence = MakeDesktopPresence(QStringLiteral("Nelvora-ticks-test-%1").arg(getpid()));
    std::unique_ptr<TForm1> form;
    QStringList closedAt;
};

} // namespace

TEST_F(ProgramTicksTest, TicksGoOnWhileABoxOfATickIsOpen)
{
    Put(QStringLiteral("Missing"), MondayAt(9, 0, OpensMissing()));
    Put(QStringLiteral("A"), MondayAt(9, 3, Shows("first")));
    Put(QStringLiteral("B"), MondayAt(9, 5, Shows("second")));
    Put(QStringLiteral("C"), MondayAt(9, 8, Shows("third")));
    Put(QStringLiteral("After"), MondayAt(9, 12, Shows("after")));
    messages.onShow = [this](const ShownMessage&) { KeepOpenUntil(9, 10); };
    RunUntil(9, 13);
    EXPECT_EQ(closedAt, QStringList{"09:10"});
    // Each fired in its own minute, while the box was open; the one whose box it was, once.
    const QString memo = Memo();
    for (const char* expected : {"(09:03 AM)\n \nNelvora Reminder:\n \nfirst", "(09:05 AM)\n \nNelvora Reminder:\n \nsecond",
                                 "(09:08 AM)\n \nNelvora Reminder:\n \nthird", "(09:12 AM)\n \nNelvora Reminder:\n \nafter"})
        EXPECT_TRUE(memo.contains(QLatin1String(expected))) << expected << "\n" << memo.toStdString();
    EXPECT_EQ(messages.shown.size(), 1);
}

TEST_F(ProgramTicksTest, TicksGoOnWhileTheDisableQuestionsAndABoxInsideThemAreOpen)
{
    Put(QStringLiteral("Missing"), MondayAt(9, 2, OpensMissing()));
    Put(QStringLiteral("A"), MondayAt(9, 1, Shows("first")));
    Put(QStringLiteral("B"), MondayAt(9, 4, Shows("second")));
    Put(QStringLiteral("C"), MondayAt(9, 7, Shows("third")));
    // The first question stays open from 09:00 to 09:08; the not-found box comes inside it
    // and stays until 09:06.
    messages.onShow = [this](const ShownMessage& m) {
        if (m.kind == QLatin1String("question") && closedAt.isEmpty() && messages.shown.size() == 1)
            KeepOpenUntil(9, 8);
        else if (m.kind == QLatin1String("notice"))
            KeepOpenUntil(9, 6);
    };
    RunUntil(9, 0);
    form->DisableNelvora1Click();
    EXPECT_EQ(closedAt, (QStringList{"09:06", "09:08"}));
    const QString memo = Memo();
    for (const char* expected : {"(09:01 AM)", "(09:04 AM)", "(09:07 AM)"})
        EXPECT_TRUE(memo.contains(QLatin1String(expected))) << expected << "\n" << memo.toStdString();
    EXPECT_TRUE(form->Timer1()->isActive());
}
