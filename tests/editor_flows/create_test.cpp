// Creating a reminder: the file each schedule kind leaves, the name checks, and the ways
// out of the two pages.
#include "flows_fixture.h"

#include "reminder.h"

#include <QCalendarWidget>
#include <QFileInfo>
#include <QLabel>
#include <QRadioButton>

namespace {

// The clock's save minute, as every save stamps it.
const QString kSavedAt = "LastProc.YR=2026;LastProc.MO=5;LastProc.DY=17;LastProc.HR=14;"
                         "LastProc.MN=3;LastProc.AM=1;LastProc.PM=0;";

// Listed before the create, so the summary must change to the new reminder.
const QByteArray kAlpha = "[Days]\nCk=1\nMon=1\nHr=6\nMin=0\n[SayTime]\nCk=1\n";

// The when line of a reminder dated on the calendar's start date, today.
QString TodayLine()
{
    const QDate today = QDate::currentDate();
    return "Date : " + QString::number(today.month()) + "/" + QString::number(today.day());
}

// Appended and selected, announced, its summary (when, time and features lines) on the
// panel, the name dialog gone.
void ExpectListedAndAnnounced(FlowFixture& f, const QString& name, const QStringList& before,
                              const QStringList& summary)
{
    EXPECT_EQ(f.Entries(), before + QStringList{name});
    EXPECT_EQ(f.window->ListBox1->currentRow(), before.size());
    const QString notice = "New reminder (" + name +
                           ") was successfully created. It will now show in your list.";
    EXPECT_EQ(f.messages.shown, (QList<ShownMessage>{{"notice", notice}}));
    EXPECT_EQ(f.window->Label1->text(), name);
    EXPECT_EQ((QStringList{f.window->Label4->text(), f.window->Label3->text(),
                           f.window->Label6->text()}),
              summary);
    EXPECT_TRUE(f.window->findChildren<TFrmName*>().isEmpty());
}

TEST(CreateFlow, SpecificDateReminder)
{
    FlowFixture f;
    f.PutReminder("Alpha", kAlpha);
    f.Start();
    bool selectedAtNotice = false;
    f.messages.onShow = [&](const ShownMessage&) {
        selectedAtNotice = f.window->SelectedName() == "Dentist";
    };
    f.prompt.answer = "Dentist at nine";
    FlowScript script("Dentist");
    script.when = [](TFrmWhen& page) {
        page.Calendar1->setSelectedDate(QDate(2027, 8, 3));
        TypeInto(page.SpinSDHour, 9);
        TypeInto(page.SpinSDMin, 5);
        page.ChkRepeat->click();
        Click(page.CmdNext);
    };
    script.what = [](TFrmWhatType& page) {
        page.ChkDisplay->click();
        page.ChkSayMsg->click();
        Click(page.BitBtn5);
        Click(page.CmdDone);
    };
    EXPECT_EQ(f.Create(script), kAllCreatePages);

    ExpectListedAndAnnounced(f, "Dentist", {"Alpha"},
                             {"Date : 8/3", "9:05 AM  (Military Time : 9:05)",
                              "Displays message. Says message. Message: Dentist at nine"});
    EXPECT_TRUE(selectedAtNotice);
    f.ExpectKeys("Dentist", kSavedAt + "Date.Ck=1;Date.Year=2027;Date.Month=8;Date.Day=3;"
                                       "Date.Hr=9;Date.Min=5;Date.Repeat=1;Days.Ck=0;"
                                       "Days.Hr=<absent>;Monthly.Ck=0;Monthly.Year=<absent>;"
                                       "SayTime.Ck=0;Display.Ck=1;SayMsg.Ck=1;"
                                       "Reminder.Msg=Dentist at nine;Reminder.Open=;Reminder.MP3=");
}

TEST(CreateFlow, WeekdayReminder)
{
    FlowFixture f;
    f.PutReminder("Alpha", kAlpha);
    f.Start();
    f.chooser.answer = "/music/bell.mp3";
    FlowScript script("Standup");
    script.when = [](TFrmWhen& page) {
        page.RadDays->click();
        for (QCheckBox* box : {page.ChkMon, page.ChkWed, page.ChkFri})
            box->click();
        TypeInto(page.SpinDYHr, 7);
        TypeInto(page.SpinDYMin, 30);
        Click(page.CmdNext);
    };
    script.what = [](TFrmWhatType& page) {
        Click(page.BitBtn6); // ticks its box as well
        Click(page.CmdDone);
    };
    EXPECT_EQ(f.Create(script), kAllCreatePages);

    ExpectListedAndAnnounced(f, "Standup", {"Alpha"},
                             {"Mon Wed Fri ", "7:30 AM  (Military Time : 7:30)", "Plays MP3. "});
    f.ExpectKeys("Standup", kSavedAt + "Date.Ck=0;Date.Year=<absent>;Days.Ck=1;Days.Mon=1;"
                                       "Days.Tue=0;Days.Wed=1;Days.Thu=0;Days.Fri=1;Days.Sat=0;"
                                       "Days.Sun=0;Days.Year=2005;Days.Month=1;Days.Day=1;"
                                       "Days.Hr=7;Days.Min=30;Monthly.Ck=0;PlayMP3.Ck=1;"
                                       "Reminder.MP3=/music/bell.mp3;Reminder.Msg=");
}

TEST(CreateFlow, MonthlyReminderStartsInTheFirstMonthAfterTheSave)
{
    FlowFixture f;
    f.clock.Set(2026, 12, 20, 10, 0);
    f.PutReminder("Alpha", kAlpha);
    f.Start();
    FlowScript script("Rent");
    script.when = [](TFrmWhen& page) {
        page.RadMonthly->click();
        TypeInto(page.SpinEMDay, 5);
        TypeInto(page.SpinEMHr, 8);
        TypeInto(page.SpinEMMin, 30);
        Click(page.CmdNext);
    };
    EXPECT_EQ(f.Create(script), kAllCreatePages);

    ExpectListedAndAnnounced(f, "Rent", {"Alpha"},
                             {"Day #5 every month.", "8:30 AM  (Military Time : 8:30)",
                              "Says time. "});
    // The 5th of December has passed at the save: January of the next year comes first.
    f.ExpectKeys("Rent", "LastProc.YR=2026;LastProc.MO=12;LastProc.DY=20;LastProc.HR=10;"
                         "LastProc.MN=0;Date.Ck=0;Days.Ck=0;Monthly.Ck=1;Monthly.Year=2027;"
                         "Monthly.Month=1;Monthly.Day=5;Monthly.Hr=8;Monthly.Min=30;SayTime.Ck=1");
}

TEST(CreateFlow, NameChecks)
{
    FlowFixture f;
    f.PutReminder("Gym", kAlpha);
    f.Start();

    // Refused names open no page and leave list and folder alone.
    EXPECT_EQ(f.Create(FlowScript("   ")), QStringList{"FrmName"});
    EXPECT_EQ(f.Create(FlowScript("Gym")), QStringList{"FrmName"});
    EXPECT_EQ(f.messages.Texts(),
              (QStringList{"You did not enter any name for your new reminder. To create a new "
                           "reminder, simply enter any name you wish to call it.",
                           "This name (Gym) already exists in your list.  Choose a new name, or "
                           "use the modify button to change an already existing name."}));
    EXPECT_EQ(f.Entries(), QStringList{"Gym"});
    EXPECT_EQ(ReadAll(f.Path("Gym")), kAlpha);
    EXPECT_TRUE(f.window->findChildren<TFrmName*>().isEmpty());

    // Names compare exactly, but a name whose file is there already is taken: one another
    // program made after the list was read, and on Windows "gym", the file of "Gym".
    const QString taken = "This name (%1) already exists in your list.  Choose a new name, or "
                          "use the modify button to change an already existing name.";
    f.PutReminder("Late", kAlpha);
    f.messages.shown.clear();
    EXPECT_EQ(f.Create(FlowScript("Late")), QStringList{"FrmName"});
    EXPECT_EQ(ReadAll(f.Path("Late")), kAlpha);
    const QStringList startValues{TodayLine(), "1:00 AM  (Military Time : 1:00)", "Says time. "};
#ifdef Q_OS_WIN
    EXPECT_EQ(f.Create(FlowScript("gym")), QStringList{"FrmName"});
    EXPECT_EQ(f.messages.Texts(), (QStringList{taken.arg("Late"), taken.arg("gym")}));
    const QStringList listed{"Gym"};
#else
    EXPECT_EQ(f.messages.Texts(), QStringList{taken.arg("Late")});
    f.messages.shown.clear();
    EXPECT_EQ(f.Create(FlowScript("gym")), kAllCreatePages);
    ExpectListedAndAnnounced(f, "gym", {"Gym"}, startValues);
    const QStringList listed{"Gym", "gym"};
#endif
    EXPECT_EQ(ReadAll(f.Path("Gym")), kAlpha);

    // Outer blanks are kept, in the entry and in the file name.
    f.messages.shown.clear();
    EXPECT_EQ(f.Create(FlowScript("  Walk ")), kAllCreatePages);
    ExpectListedAndAnnounced(f, "  Walk ", listed, startValues);
    EXPECT_TRUE(QFileInfo::exists(f.xdg.Folder() + "/  Walk .ini"));
    EXPECT_FALSE(QFileInfo::exists(f.xdg.Folder() + "/Walk.ini"));
}

// The close box skips the dialog's own check: the flow refuses the name with the check's
// notice, never the no-name one, and no file outside the folder is made.
TEST(CreateFlow, RefusedNameLeftByTheCloseBoxGetsTheNameNotice)
{
    FlowFixture f;
    f.Start();
    const QString nameNotice = "Please do not enter a \".\", \":\", or \"/\" in the name";
    for (const QString& typed : {QStringLiteral("Mr. Kelmos"), QStringLiteral("../x"),
                                 QStringLiteral("9:30")}) {
        FlowScript script(typed);
        script.closeNameBox = true;
        f.messages.shown.clear();
        EXPECT_EQ(f.Create(script), QStringList{"FrmName"}) << typed.toStdString();
        EXPECT_EQ(f.messages.Texts(), QStringList{nameNotice}) << typed.toStdString();
    }
    EXPECT_TRUE(f.Entries().isEmpty());
    EXPECT_TRUE(QDir(f.xdg.DataHome()).entryList(QStringList{"*.ini"}, QDir::Files).isEmpty());
    EXPECT_TRUE(QDir(f.xdg.Folder()).entryList(QDir::Files).isEmpty());

    // A good name closed the same way goes on as "Ok" does.
    FlowScript good("Kelmos");
    good.closeNameBox = true;
    f.messages.shown.clear();
    EXPECT_EQ(f.Create(good), kAllCreatePages);
    EXPECT_EQ(f.Entries(), QStringList{"Kelmos"});
}

TEST(CreateFlow, GoBackOnEitherPageAbandonsTheCreate)
{
    FlowFixture f;
    f.Start();
    FlowScript backOnActions("Trip");
    backOnActions.what = [](TFrmWhatType& page) {
        page.ChkSayDay->click();
        Click(page.BitBtn2);
    };
    EXPECT_EQ(f.Create(backOnActions), kAllCreatePages);

    FlowScript backOnSchedule("Trip");
    backOnSchedule.when = [](TFrmWhen& page) {
        page.RadDays->click();
        Click(page.BitBtn1);
    };
    EXPECT_EQ(f.Create(backOnSchedule), (QStringList{"FrmName", "FrmWhen"}));

    EXPECT_FALSE(QFileInfo::exists(f.Path("Trip")));
    EXPECT_TRUE(f.Entries().isEmpty());
    EXPECT_TRUE(f.messages.shown.isEmpty());
    EXPECT_TRUE(f.window->findChildren<TFrmName*>().isEmpty());
}

TEST(CreateFlow, CloseBoxesGoOnAndSkipTheDoneChecks)
{
    FlowFixture f;
    f.Start();
    FlowScript script("Quiet");
    script.when = [](TFrmWhen& page) { page.close(); };
    // No box ticked: "Done" would refuse, the close box saves.
    script.what = [](TFrmWhatType& page) { page.close(); };
    EXPECT_EQ(f.Create(script), kAllCreatePages);

    ExpectListedAndAnnounced(f, "Quiet", {}, {TodayLine(), "1:00 AM  (Military Time : 1:00)", ""});
    f.ExpectKeys("Quiet", "Date.Ck=1;SayTime.Ck=0;SayDay.Ck=0;PlayMP3.Ck=0;Display.Ck=0;"
                          "SayMsg.Ck=0;Open.Ck=0;Reminder.Msg=");
}

#ifndef Q_OS_WIN // names are bytes only on Linux
// "Ã©" spelt in Windows-1252 is the UTF-8 name of "é": the new reminder still gets a file
// of its own, and deleting it leaves the other one alone.
TEST(CreateFlow, NewNameNeverReachesAnotherRemindersFile)
{
    FlowFixture f;
    const QByteArray other = "[Days]\nCk=1\nMon=1\n[Reminder]\nMsg=other\n";
    f.PutReminder(QString::fromUtf8("é"), other);
    f.Start();
    const QString name = QString::fromUtf8("Ã©");
    EXPECT_EQ(f.Create(FlowScript(name)), kAllCreatePages);
    EXPECT_EQ(f.messages.Texts(), QStringList{"New reminder (" + name + ") was successfully created. It will "
                                              "now show in your list."});
    const QByteArray created = QFile::encodeName(f.xdg.Folder()) + "/\xC3\x83\xC2\xA9.ini";
    EXPECT_TRUE(ReadNative(created).contains("[SayTime]\nCk=1\n"));
    EXPECT_EQ(ReadAll(f.Path(QString::fromUtf8("é"))), other);

    f.messages.answers.push_back(true);
    Click(f.window->CmdDel);
    EXPECT_EQ(f.Entries(), QStringList{QString::fromUtf8("é")});
    EXPECT_EQ(ReadNative(created), "<absent>");
    EXPECT_EQ(ReadAll(f.Path(QString::fromUtf8("é"))), other);
}
#endif

} // namespace
