// The main window: start-up, the summary of a selection, leaving, and the other buttons.
#include "autostart.h"
#include "editor_fixture.h"
#include "folder.h"
#include "frmabout.h"
#include "look.h"
#include "modal.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString kEmptyListNotice = QStringLiteral(
    "This list is currently empty. Use the \"Create\" button to add some reminders to your "
    "list.");
const QString kMissingNotice = QStringLiteral(
    "Part of the software is missing from the folder. Please re-install the software to "
    "continue.");

QStringList SummaryTexts(const TFrmFirst& w)
{
    return {w.Label1->text(), w.Label5->text(), w.Label4->text(), w.Label3->text(),
            w.Label2->text(), w.Label8->text(), w.Label6->text()};
}

QStringList Entries(const TFrmFirst& w)
{
    QStringList names;
    for (int i = 0; i < w.ListBox1->count(); ++i)
        names << w.ListBox1->item(i)->text();
    return names;
}

TEST(FrmFirstStart, EmptyFolderGivesEmptyListAndNotices)
{
    EditorFixture f;
    auto w = f.Start();
    EXPECT_EQ(w->windowTitle(), "Nelvora and Reminder");
    EXPECT_TRUE(QFileInfo(f.xdg.Folder()).isDir()) << "the reminder folder is created";
    EXPECT_EQ(w->ListBox1->count(), 0);
    for (const QString& text : SummaryTexts(*w))
        EXPECT_TRUE(text.isEmpty()) << text.toStdString();
    EXPECT_EQ(w->size(), QSize(498, 451));

    f.messages.shown.clear();
    QTest::mouseClick(w->CmdDel, Qt::LeftButton);
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_EQ(f.messages.shown[0], (ShownMessage{QStringLiteral("notice"), kEmptyListNotice}));

    f.messages.shown.clear();
    bool visibleDuringNotice = false;
    f.messages.onShow = [&](const ShownMessage&) { visibleDuringNotice = w->isVisible(); };
    QTest::mouseClick(w->CmdExit, Qt::LeftButton);
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_EQ(f.messages.shown[0].kind, "notice");
    EXPECT_EQ(f.messages.shown[0].text,
              "You exited the software without entering any reminders. Simply click the "
              "\"Create\" button next time to add a new reminder to your list. You can then "
              "choose how you want the reminder to be displayed, when you want this to occur, "
              "what time, etc.  Your created reminders will then display in your list.");
    EXPECT_TRUE(visibleDuringNotice) << "the notice comes before the window closes";
    EXPECT_FALSE(w->isVisible());
}

TEST(FrmFirstStart, ExitWithRemindersClosesWithoutNotice)
{
    EditorFixture f;
    f.PutReminder(QStringLiteral("Gym"), "[Days]\nCk=1\n");
    auto w = f.Start();
    f.messages.shown.clear();
    QTest::mouseClick(w->CmdExit, Qt::LeftButton);
    EXPECT_TRUE(f.messages.shown.isEmpty());
    EXPECT_FALSE(w->isVisible());
}

TEST(FrmFirstStart, MissingResidentOnlyNotices)
{
    EditorFixture f;
    f.PutProgramFile(QStringLiteral("index.html"));
    auto w = f.Start();
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_EQ(f.messages.shown[0], (ShownMessage{QStringLiteral("notice"), kMissingNotice}));
    EXPECT_TRUE(f.autostart.registered.isEmpty());
    EXPECT_TRUE(f.shell.calls.isEmpty());
    EXPECT_EQ(f.presenceChecks, 0);
    EXPECT_TRUE(w->isVisible()) << "the window opens normally";
    EXPECT_EQ(w->focusWidget(), w->ListBox1) << "the notice does not move the first focus";
}

TEST(FrmFirstStart, ResidentPresentIsRegisteredAndStartedOnlyWhenNotRunning)
{
    EditorFixture f;
    f.PutResident();
    {
        auto w = f.Start();
        EXPECT_TRUE(f.messages.shown.isEmpty()) << f.messages.Texts().join('|').toStdString();
        EXPECT_EQ(f.shell.calls, QStringList{QStringLiteral("start:") + f.ResidentPath()});
        EXPECT_EQ(f.autostart.registered, QStringList{f.ResidentPath()});
    }

    // Running already: registered again, nothing started.
    f.autostart.registered.clear();
    f.shell.calls.clear();
    f.residentRunning = true;
    auto again = f.Start();
    EXPECT_EQ(f.autostart.registered, QStringList{f.ResidentPath()});
    EXPECT_TRUE(f.shell.calls.isEmpty()) << f.shell.calls.join('|').toStdString();
    EXPECT_TRUE(f.messages.shown.isEmpty());
}

TEST(FrmFirstStart, FailedStartOfResidentIsReportedOnce)
{
    EditorFixture f;
    f.PutResident();
    f.shell.startResult = false;
    auto w = f.Start();
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_EQ(f.messages.shown[0].kind, "notice");
    EXPECT_EQ(f.messages.shown[0].text,
              "Nelvora could not be set active. Please reinstall the software, or contact "
              "support at support@nelvora.example if the problem continues.");
    EXPECT_TRUE(w->isVisible());
}

// No private place for the marker: whether one runs cannot be told, and starting one
// blindly at every editor start left several running.
TEST(FrmFirstStart, UnseenResidentIsNotStartedAgainAndTheUserIsTold)
{
    EditorFixture f;
    f.PutResident();
    f.presenceUnknown = true;
    auto w = f.Start();
    EXPECT_TRUE(f.shell.calls.isEmpty()) << f.shell.calls.join('|').toStdString();
    EXPECT_EQ(f.messages.shown,
              (QList<ShownMessage>{{"notice", "Nelvora could not be set active. Please reinstall the software, or "
                                              "contact support at support@nelvora.example if the problem continues."}}));
    EXPECT_EQ(f.autostart.registered, QStringList{f.ResidentPath()});
}

TEST(FrmFirstSummary, FirstEntrySelectedAtStartAndClicksShowEach)
{
    EditorFixture f;
    f.PutReminder(QStringLiteral("Birthday"),
                  "[Date]\nCk=1\nYear=2026\nMonth=08\nDay=3\nHr=9\nMin=0\nRepeat=1\n"
                  "[Display]\nCk=1\n[SayMsg]\nCk=1\n[Reminder]\nMsg=Buy flowers\n");
    f.PutReminder(QStringLiteral("Meeting"),
                  "[Days]\nCk=1\nMon=1\nWed=1\nFri=1\nHr=12\nMin=59\n[SayTime]\nCk=1\n");
    f.PutReminder(QStringLiteral("Rent"), "[Monthly]\nCk=1\nDay=28\nHr=0\nMin=0\n");
    f.PutReminder(QStringLiteral("Idle"), "[Reminder]\nMsg=Only text\n");
    auto w = f.Start();
    ASSERT_EQ(w->ListBox1->count(), 4);
    EXPECT_EQ(w->ListBox1->currentRow(), 0);
    EXPECT_EQ(w->Label1->text(), w->ListBox1->item(0)->text());
    EXPECT_FALSE(w->Label5->text().isEmpty()) << "the first entry's summary shows at start";

    const QStringList names = Entries(*w);
    auto show = [&](const QString& name) {
        QListWidgetItem* item = w->ListBox1->item(names.indexOf(name));
        QTest::mouseClick(w->ListBox1->viewport(), Qt::LeftButton, {},
                          w->ListBox1->visualItemRect(item).center());
        return SummaryTexts(*w);
    };
    EXPECT_EQ(show(QStringLiteral("Birthday")),
              (QStringList{"Birthday", "This reminder occurs on:", "Date : 08/3",
                           "9:00 AM  (Military Time : 9:00)", "Repeats every year.",
                           "Reminder Features:",
                           "Displays message. Says message. Message: Buy flowers"}));
    EXPECT_EQ(show(QStringLiteral("Meeting")),
              (QStringList{"Meeting", "This reminder occurs on:", "Mon Wed Fri ",
                           "12:59 PM  (Military Time : 12:59)", "", "Reminder Features:",
                           "Says time. "}));
    EXPECT_EQ(show(QStringLiteral("Rent")),
              (QStringList{"Rent", "This reminder occurs on:", "Day #28 every month.",
                           "12:00 AM  (Military Time : 0:00)", "", "", ""}));
    EXPECT_EQ(show(QStringLiteral("Idle")),
              (QStringList{"Idle", "***NOT ACTIVE***", "", "", "", "Reminder Features:",
                           "Message: Only text"}));
    // The keys start on the list, and its moves show the summary too.
    EXPECT_EQ(w->focusWidget(), w->ListBox1);
    QTest::keyClick(w->ListBox1, Qt::Key_Home);
    EXPECT_EQ(w->Label1->text(), names.first());
}

TEST(FrmFirstSummary, DamagedFilesShowWithoutHarm)
{
    EditorFixture f;
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk += char((i * 37) % 256);
    f.PutReminder(QStringLiteral("Junk"), junk);
    f.PutReminder(QStringLiteral("Odd"), "[Date]\nCk=1\nHr=abc\nMin=99999999999\nMonth=\x01\n");
    QDir().mkpath(f.xdg.Folder() + QStringLiteral("/Folder.ini"));
    auto w = f.Start();
    ASSERT_EQ(w->ListBox1->count(), 3);
    for (int i = 0; i < 3; ++i) {
        w->ListBox1->setCurrentRow(i);
        EXPECT_EQ(w->Label1->text(), w->ListBox1->item(i)->text());
        EXPECT_FALSE(w->Label5->text().isEmpty());
    }
    EXPECT_TRUE(f.messages.shown.size() <= 1) << "at most the missing-part notice";
}

TEST(FrmFirstLeave, StoredSizeIsRestoredAtNextStart)
{
    EditorFixture f;
    {
        auto w = f.Start();
        w->resize(640, 520);
        w->close();
    }
    const QString geometry = f.xdg.Folder() + QStringLiteral("/Velmaro6.ini");
    EXPECT_TRUE(ReadAll(geometry).contains("W=640")) << ReadAll(geometry).data();
    auto w = f.Start();
    EXPECT_EQ(w->size(), QSize(640, 520));
    EXPECT_EQ(w->ListBox1->count(), 0) << "the geometry file is not a reminder";
}

TEST(FrmFirstButtons, HelpOpensPageOrReportsItMissing)
{
    EditorFixture f;
    auto w = f.Start();
    f.messages.shown.clear();
    QTest::mouseClick(w->CmdHelp, Qt::LeftButton);
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_EQ(f.messages.shown[0].kind, "error");
    EXPECT_EQ(f.messages.shown[0].text,
              "We could not automatically open the help file for you, but you can view it "
              "manually by going to your installation folder and double-clicking index.html to "
              "view the help file.");
    EXPECT_TRUE(f.shell.calls.isEmpty());

    f.PutProgramFile(QStringLiteral("index.html"));
    f.messages.shown.clear();
    f.shell.openResult = false; // other failures stay unreported
    QTest::mouseClick(w->CmdHelp, Qt::LeftButton);
    EXPECT_TRUE(f.messages.shown.isEmpty());
    EXPECT_EQ(f.shell.calls,
              QStringList{"url:" + QUrl::fromLocalFile(f.ProgramFolder() + "index.html").toString()});
}

TEST(FrmFirstButtons, DownloadsOpensPageOrGivesWebAddress)
{
    const QString notice = QStringLiteral(
        "You cannot view this file because you do not have a default web browser setup, "
        "however, you can still go to the free trial downloads site online at "
        "https://www.nelvora.example/downloads");
    EditorFixture f;
    auto w = f.Start();
    f.messages.shown.clear();
    QTest::mouseClick(w->BitBtn9, Qt::LeftButton);
    EXPECT_EQ(f.messages.Texts(), QStringList{notice}) << "page missing";

    f.PutProgramFile(QStringLiteral("download.html"));
    const QString url = "url:" + QUrl::fromLocalFile(f.ProgramFolder() + "download.html").toString();
    f.messages.shown.clear();
    QTest::mouseClick(w->BitBtn9, Qt::LeftButton);
    EXPECT_TRUE(f.messages.shown.isEmpty());
    EXPECT_EQ(f.shell.calls, QStringList{url});

    f.shell.openResult = false;
    QTest::mouseClick(w->BitBtn9, Qt::LeftButton);
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_EQ(f.messages.shown[0], (ShownMessage{QStringLiteral("notice"), notice}));
}

// The shell is told how each window is to show (Windows has show states, Linux ignores them).
TEST(FrmFirstButtons, EachOpenShowsAsItsDescriptionSays)
{
    EditorFixture f;
    f.PutResident();
    for (const char* file : {"index.html", "download.html"})
        f.PutProgramFile(QLatin1String(file));
    auto w = f.Start();
    for (QPushButton* button : {w->CmdHelp, w->BitBtn9, w->BitBtn8})
        QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(f.shell.shows, (QList<ShellShow>{ShellShow::Hidden, ShellShow::Maximized, ShellShow::Maximized,
                                               ShellShow::Normal}));
}

TEST(FrmFirstButtons, ContactSupportWritesMailOrGivesAddress)
{
    EditorFixture f;
    auto w = f.Start();
    f.messages.shown.clear();
    QTest::mouseClick(w->BitBtn8, Qt::LeftButton);
    EXPECT_TRUE(f.messages.shown.isEmpty());
    ASSERT_EQ(f.shell.calls.size(), 1);
    const QUrl mail(f.shell.calls[0].mid(4));
    EXPECT_EQ(mail.scheme(), "mailto");
    EXPECT_EQ(mail.path(), "support@nelvora.example");
    EXPECT_EQ(mail.query(QUrl::FullyDecoded), "Subject=Trial Question - Nelvora and Reminder");

    f.shell.openResult = false;
    QTest::mouseClick(w->BitBtn8, Qt::LeftButton);
    EXPECT_EQ(f.messages.Texts(),
              QStringList{"You cannot view this file because you do not have a default email "
                          "software setup. Simply email your question to support at "
                          "support@nelvora.example"});
}

TEST(FrmFirstButtons, AboutShowsVersionAndReturns)
{
    EditorFixture f;
    auto w = f.Start();
    QString version;
    bool frameless = false;
    ModalAnswerer answer([&](QWidget* modal) {
        auto* about = qobject_cast<TFrmabout*>(modal);
        if (!about)
            return false;
        frameless = about->windowFlags().testFlag(Qt::FramelessWindowHint);
        for (QLabel* label : about->findChildren<QLabel*>())
            if (label->text().contains(QLatin1String("Version")))
                version = label->text();
        return ClickButton(about, QStringLiteral("Return"));
    });
    QTest::mouseClick(w->BitBtn5, Qt::LeftButton);
    EXPECT_EQ(answer.handled(), 1);
    EXPECT_EQ(version, "Version 2.05");
    EXPECT_TRUE(frameless);
    EXPECT_TRUE(w->findChildren<TFrmabout*>().isEmpty()) << "destroyed after use";
}

TEST(FrmFirstControls, SummaryStyleAndLayout)
{
    EditorFixture f;
    auto w = f.Start();
    EXPECT_EQ(w->findChild<QLabel*>("Label7")->text(), "Reminders:");
    EXPECT_TRUE(w->Label9->wordWrap());
    EXPECT_TRUE(w->Label5->font().bold() && w->Label5->font().underline());
    EXPECT_TRUE(w->Label8->font().bold() && w->Label8->font().underline());
    EXPECT_TRUE(w->Label1->font().bold());
    // Summary labels stand top to bottom in their order, right of the list.
    const QList<QLabel*> order{w->Label1, w->Label5, w->Label4, w->Label3,
                               w->Label2, w->Label8, w->Label6};
    for (int i = 1; i < order.size(); ++i)
        EXPECT_LT(order[i - 1]->y(), order[i]->y()) << i;
    EXPECT_GT(w->Label1->x(), w->ListBox1->x() + w->ListBox1->width() - 1);
    // Nothing is squeezed below what it asks for at the design size.
    for (QWidget* child : w->findChildren<QPushButton*>())
        EXPECT_GE(child->width(), child->minimumSizeHint().width()) << child->objectName().toStdString();
}

// Made once the window has painted, or by a flow that comes first; never twice.
TEST(FrmFirstStart, PagesAreMadeAfterTheFirstPaintOrByAFlowBeforeIt)
{
    EditorFixture f;
    f.PutReminder(QStringLiteral("Pills"), "[Days]\nCk=1\n");
    int made = 0;
    auto w = f.Start();
    w->SetPageMaker([&made] { ++made; });
    EXPECT_EQ(made, 0);
    EXPECT_TRUE(QTest::qWaitFor([&made] { return made == 1; }));
    // This maker makes no pages: the flow stops instead of reaching for them.
    auto unpainted = std::make_unique<TFrmFirst>(FrmFirstEnv{f.messages, f.shell, f.clock, {}, f.xdg.Folders(), f.autostart});
    unpainted->SetPageMaker([&made] { ++made; });
    unpainted->CmdModifyClick();
    unpainted->CmdModifyClick();
    EXPECT_EQ(made, 2);
}

// It fixes no colour of its own, so it follows the scheme; at any font nothing is cut.
TEST(FrmFirstStart, FollowsTheSchemeAndCutsNothing)
{
    EditorFixture f;
    f.PutReminder(QStringLiteral("Pills"), "[Days]\nCk=1\nMon=1\n[Reminder]\nMsg=Take one\n");
    std::unique_ptr<TFrmFirst> w;
    ExpectReadableAndWholeInEveryLook([&] { return (w = f.Start()).get(); });
}

} // namespace
