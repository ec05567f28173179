// Modifying a reminder, what a create inherits from it, and loads and saves that fail.
#include "flows_fixture.h"

#include "reminder.h"

#include <QCalendarWidget>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QRadioButton>

namespace {

const QByteArray kDentist =
    "[LastProc]\nYR=2026\nMO=1\nDY=2\nHR=3\nMN=4\nAM=1\nPM=0\n"
    "[Date]\nCk=1\nYear=2027\nMonth=8\nDay=3\nHr=9\nMin=5\nRepeat=1\n[Days]\nCk=0\n"
    "[Monthly]\nCk=0\n[SayTime]\nCk=0\n[SayDay]\nCk=0\n[PlayMP3]\nCk=0\n[Display]\nCk=1\n"
    "[SayMsg]\nCk=0\n[Open]\nCk=0\n[Reminder]\nMsg=Bring the card\nOpen=\nMP3=\n";
const QByteArray kGym = "[Days]\nCk=1\nMon=1\nHr=6\nMin=0\n[SayTime]\nCk=1\n";

QList<ShownMessage> Raised(const QString& text) { return {{"raised", text}}; }

TEST(ModifyFlow, DateReminderBecomesWeekdayReminder)
{
    FlowFixture f;
    f.PutReminder("Dentist", kDentist);
    f.PutReminder("Gym", kGym);
    f.Start();
    f.window->ListBox1->setCurrentRow(f.Entries().indexOf("Dentist"));
    const QStringList before = f.Entries();
    f.clock.Set(2026, 6, 1, 8, 15);

    bool loadedDate = false, loadedMessage = false;
    FlowScript script;
    script.when = [&](TFrmWhen& page) {
        loadedDate = page.RadDate->isChecked() && page.SpinSDHour->Value() == 9 &&
                     page.Calendar1->selectedDate() == QDate(2027, 8, 3) &&
                     page.ChkRepeat->isChecked();
        page.RadDays->click();
        page.ChkTue->click();
        page.ChkThu->click();
        TypeInto(page.SpinDYHr, 18);
        TypeInto(page.SpinDYMin, 45);
        Click(page.CmdNext);
    };
    script.what = [&](TFrmWhatType& page) {
        loadedMessage = page.ChkDisplay->isChecked() && page.LblMsg->text() == "Bring the card";
        Click(page.CmdDone);
    };
    EXPECT_EQ(f.Modify(script), (QStringList{"FrmWhen", "FrmWhatType"}));
    EXPECT_TRUE(loadedDate);
    EXPECT_TRUE(loadedMessage);

    EXPECT_EQ(f.messages.Texts(), QStringList{"Dentist has been successfully updated."});
    EXPECT_EQ(f.Entries(), before) << "name and position stay";
    EXPECT_EQ(f.window->SelectedName(), "Dentist");
    // The old kind's keys stay, switched off.
    f.ExpectKeys("Dentist", "LastProc.YR=2026;LastProc.MO=6;LastProc.DY=1;LastProc.HR=8;"
                            "LastProc.MN=15;Date.Ck=0;Date.Year=2027;Date.Month=8;Date.Day=3;"
                            "Date.Hr=9;Date.Min=5;Date.Repeat=1;Days.Ck=1;Days.Mon=0;Days.Tue=1;"
                            "Days.Thu=1;Days.Hr=18;Days.Min=45;Display.Ck=1;"
                            "Reminder.Msg=Bring the card");
    const TReminder reread = LoadReminder(f.Path("Dentist"));
    EXPECT_TRUE(!reread.Date.Ck && reread.Days.Ck);
    EXPECT_EQ((QStringList{f.window->Label4->text(), f.window->Label3->text(),
                           f.window->Label2->text()}),
              (QStringList{"Tue Thu ", "6:45 PM  (Military Time : 18:45)", ""}))
        << "the summary shows the weekdays";
}

// A one-time reminder stays one-time through a modify, even right after a yearly one
// left the repeat box ticked on the page.
TEST(ModifyFlow, OneTimeReminderStaysOneTime)
{
    FlowFixture f;
    f.PutReminder("Dentist", kDentist);
    QByteArray once = kDentist;
    once.replace("Repeat=1", "Repeat=0");
    once.replace("Msg=Bring the card", "Msg=Once only");
    f.PutReminder("Once", once);
    f.Start();

    const auto modify = [&](const QString& name, bool& repeatLoaded) {
        f.window->ListBox1->setCurrentRow(f.Entries().indexOf(name));
        FlowScript script;
        script.when = [&](TFrmWhen& page) {
            repeatLoaded = page.ChkRepeat->isChecked();
            TypeInto(page.SpinSDMin, 10);
            Click(page.CmdNext);
        };
        script.what = [](TFrmWhatType& page) { Click(page.CmdDone); };
        return f.Modify(script);
    };
    bool yearlyLoaded = false, onceLoaded = true;
    EXPECT_EQ(modify("Dentist", yearlyLoaded), (QStringList{"FrmWhen", "FrmWhatType"}));
    EXPECT_EQ(modify("Once", onceLoaded), (QStringList{"FrmWhen", "FrmWhatType"}));
    EXPECT_TRUE(yearlyLoaded);
    EXPECT_FALSE(onceLoaded);

    f.ExpectKeys("Dentist", "Date.Ck=1;Date.Repeat=1;Date.Min=10");
    f.ExpectKeys("Once", "Date.Ck=1;Date.Year=2027;Date.Month=8;Date.Day=3;Date.Hr=9;"
                         "Date.Min=10;Date.Repeat=0;Reminder.Msg=Once only");
    EXPECT_EQ((QStringList{f.window->Label1->text(), f.window->Label4->text(),
                           f.window->Label3->text(), f.window->Label2->text()}),
              (QStringList{"Once", "Date : 8/3", "9:10 AM  (Military Time : 9:10)",
                           "Will NOT repeat every year."}));
}

TEST(ModifyFlow, CreateAfterModifyStartsFromTheModifiedValues)
{
    FlowFixture f;
    f.PutReminder("Gym", kGym);
    f.Start();
    FlowScript modify;
    modify.when = [](TFrmWhen& page) {
        TypeInto(page.SpinDYHr, 19);
        Click(page.CmdNext);
    };
    f.Modify(modify);
    f.ExpectKeys("Gym", "Days.Ck=1;Days.Hr=19"); // the loaded kind stays

    bool dateSelected = false, daysKept = false, actionsKept = false;
    FlowScript create("Swim");
    create.when = [&](TFrmWhen& page) {
        dateSelected = page.RadDate->isChecked() && !page.RadDays->isChecked();
        daysKept = page.ChkMon->isChecked() && page.SpinDYHr->Value() == 19;
        Click(page.CmdNext);
    };
    create.what = [&](TFrmWhatType& page) {
        actionsKept = page.ChkSayTime->isChecked() && !page.ChkDisplay->isChecked();
        Click(page.CmdDone);
    };
    EXPECT_EQ(f.Create(create), kAllCreatePages);
    EXPECT_TRUE(dateSelected);
    EXPECT_TRUE(daysKept);
    EXPECT_TRUE(actionsKept);
    EXPECT_EQ(f.Entries(), (QStringList{"Gym", "Swim"}));
    f.ExpectKeys("Swim", "Date.Ck=1;Days.Ck=0;SayTime.Ck=1");
}

TEST(ModifyFlow, StopsBeforeAnyPageWhenThereIsNothingToLoad)
{
    {
        FlowFixture f;
        f.Start();
        EXPECT_TRUE(f.Modify(FlowScript()).isEmpty());
        EXPECT_EQ(f.messages.Texts(), QStringList{"This list is currently empty. Use the "
                                                  "\"Create\" button to add some reminders to "
                                                  "your list."});
    }
    FlowFixture f;
    const QByteArray broken = "[Date]\nCk=1\nYear=2027\nMonth=8\nDay=3\nHr=\nMin=0\n";
    f.PutReminder("Broken", broken);
    f.Start();
    EXPECT_TRUE(f.Modify(FlowScript()).isEmpty()) << "no page is shown";
    EXPECT_EQ(f.messages.shown, Raised("'' is not a valid integer value."));
    EXPECT_EQ(ReadAll(f.Path("Broken")), broken);
}

#ifndef Q_OS_WIN // names are bytes only on Linux
// Two files whose names show alike: modifying either entry loads and rewrites its own.
// Pasted text that is not valid UTF-16 is refused: as raw bytes it would name the other.
TEST(ModifyFlow, EachOfTwoAlikeEntriesKeepsItsOwnFile)
{
    FlowFixture f;
    const QString cafe = QString::fromUtf8("Café");
    const QByteArray windows = QFile::encodeName(f.xdg.Folder()) + "/Caf\xE9.ini";
    f.PutReminder(cafe, kGym + "[Reminder]\nMsg=utf\n");
    WriteNative(windows, "[Days]\r\nCk=1\r\nFri=1\r\n[Reminder]\r\nMsg=caf\xE9\r\n");
    f.Start();
    ASSERT_EQ(f.Entries(), QStringList(2, cafe));
    QStringList loaded;
    for (const int row : {0, 1}) {
        f.window->ListBox1->setCurrentRow(row);
        FlowScript script;
        script.what = [&loaded](TFrmWhatType& page) {
            loaded << page.LblMsg->text();
            page.ChkSayDay->click();
            Click(page.CmdDone);
        };
        f.Modify(script);
    }
    loaded.sort();
    EXPECT_EQ(loaded, (QStringList{QString::fromUtf8("café"), "utf"}));
    const QByteArray rewritten = ReadNative(windows);
    EXPECT_TRUE(rewritten.contains("Fri=1\r\n") && rewritten.contains("[SayDay]\r\nCk=1\r\n") &&
                rewritten.contains("Msg=caf\xE9\r\n"));
    f.ExpectKeys(cafe, "Days.Mon=1;Days.Fri=0;SayDay.Ck=1;Reminder.Msg=utf");

    FlowScript pasted("Caf");
    pasted.pasted = QChar(0xDCE9);
    f.messages.shown.clear();
    f.Create(pasted);
    EXPECT_EQ(f.messages.shown, Raised("Unable to write to " + f.Path(cafe) + "."));
    EXPECT_EQ(ReadNative(windows), rewritten);
    ::unlink(windows.constData()); // Qt cannot name it to clean up the folder
}
#endif

TEST(SaveFailure, IsRaisedAndNothingIsListedOrAnnounced)
{
    {
        // The folder vanished while the editor ran.
        FlowFixture f;
        f.Start();
        ASSERT_TRUE(QDir(f.xdg.Folder()).removeRecursively());
        EXPECT_EQ(f.Create(FlowScript("Lost")), kAllCreatePages);
        EXPECT_EQ(f.messages.shown, Raised("Unable to write to " + f.Path("Lost") + "."));
        EXPECT_TRUE(f.Entries().isEmpty());
        EXPECT_FALSE(QFileInfo::exists(f.Path("Lost")));
    }
    // A read-only file is left exactly as it was.
    FlowFixture f;
    f.PutReminder("Dentist", kDentist);
    f.Start();
    const QString path = f.Path("Dentist");
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup |
                                                QFile::ReadOther)); // 0444
    FlowScript script;
    script.when = [](TFrmWhen& page) {
        page.RadDays->click();
        Click(page.CmdNext);
    };
    EXPECT_EQ(f.Modify(script), (QStringList{"FrmWhen", "FrmWhatType"}));
    EXPECT_EQ(f.messages.shown, Raised("Unable to write to " + path + "."));
    EXPECT_EQ(ReadAll(path), kDentist);
}

} // namespace
