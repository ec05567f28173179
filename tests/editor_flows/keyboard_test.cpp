// The flows without a mouse: where the focus stands when each page opens, and keys alone
// taking a reminder through the main window.
#include "flows_fixture.h"

#include <QFileInfo>
#include <QLabel>
#include <QRadioButton>

namespace {

const QByteArray kGym = "[Days]\nCk=1\nMon=1\nHr=6\nMin=0\n[SayTime]\nCk=1\n";

// A key as the keyboard sends it: to the active window, to the control that has the focus
// in it. A key sent to a page that has shown but is not active yet (a busy machine delays
// the activation) reaches a control the application does not count as focused, and an
// arrow key in an option group then moves nothing. The pages are activated as they show;
// the main window gets the activation back from the window manager when a page closes,
// which the offscreen platform has not, so that is asked for here.
void Press(QWidget* window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    if (!window->isModal() && QApplication::activeWindow() != window)
        window->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }))
        << window->objectName().toStdString() << " never became the active window";
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}
void Presses(QWidget* window, int key, int times)
{
    for (int i = 0; i < times; ++i)
        Press(window, key);
}
QString Focused(QWidget* window)
{
    return window->focusWidget() ? window->focusWidget()->objectName() : QStringLiteral("-");
}

// Each use of a page starts from its chosen option (schedule page) or its first box
// (action page), wherever the last use left the focus; keys typed at once land there.
TEST(KeyboardFlow, ReusedPagesOpenOnTheirChosenOptionOrFirstBox)
{
    FlowFixture f;
    f.PutReminder("Gym", kGym);
    f.Start();
    QStringList focusAtOpen;
    FlowScript modify;
    modify.when = [&](TFrmWhen& page) {
        focusAtOpen << Focused(&page);
        page.SpinDYHr->setFocus();
        TypeInto(page.SpinDYHr, 7);
        page.CmdNext->click(); // the focus stays in the field
    };
    modify.what = [&](TFrmWhatType& page) {
        focusAtOpen << Focused(&page);
        page.CmdDone->setFocus();
        Click(page.CmdDone);
    };
    f.Modify(modify);

    FlowScript create("Swim");
    create.when = [&](TFrmWhen& page) {
        focusAtOpen << Focused(&page);
        // Digits typed into the weekday hour left focused would warn at every key.
        QTest::keyClicks(page.focusWidget(), "12");
        Click(page.CmdNext);
    };
    create.what = [&](TFrmWhatType& page) {
        focusAtOpen << Focused(&page);
        Press(&page, Qt::Key_Space); // clears "Say the time out loud", kept from the modify
        Press(&page, Qt::Key_Tab);
        Press(&page, Qt::Key_Space);
        Press(&page, Qt::Key_Return);
    };
    f.messages.shown.clear();
    EXPECT_EQ(f.Create(create), kAllCreatePages);
    EXPECT_EQ(focusAtOpen, (QStringList{"RadDays", "ChkSayTime", "RadDate", "ChkSayTime"}));
    EXPECT_EQ(f.messages.Texts(), QStringList{"New reminder (Swim) was successfully created. "
                                              "It will now show in your list."});
    f.ExpectKeys("Swim", "Date.Ck=1;Days.Ck=0;Date.Hr=1;SayTime.Ck=0;SayDay.Ck=1");
}

// The date kind: time fields, the calendar's next month by Page Down (the month arrows
// are pictures the keyboard cannot reach) and the repeat box.
TEST(KeyboardFlow, DateReminderWithKeysOnly)
{
    FlowFixture f;
    f.Start();
    const QDate nextMonth = QDate::currentDate().addMonths(1);
    QString calendarTitle;
    FlowScript script("Dentist");
    script.when = [&](TFrmWhen& page) {
        // Back from the date option: "Continue", "Example", the repeat box, the calendar,
        // the minute and the hour.
        Presses(&page, Qt::Key_Backtab, 6);
        EXPECT_EQ(Focused(&page), "SpinSDHour");
        Press(&page, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(page.focusWidget(), "9");
        Press(&page, Qt::Key_Tab);
        Press(&page, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(page.focusWidget(), "10");
        Press(&page, Qt::Key_Tab);
        Press(&page, Qt::Key_PageDown);
        calendarTitle = page.LblCalendar->text();
        Press(&page, Qt::Key_Tab);
        Press(&page, Qt::Key_Space); // the repeat box
        Presses(&page, Qt::Key_Tab, 2);
        EXPECT_EQ(Focused(&page), "CmdNext");
        Press(&page, Qt::Key_Space);
    };
    script.what = [](TFrmWhatType& page) {
        Press(&page, Qt::Key_Space);
        Press(&page, Qt::Key_Return);
    };
    EXPECT_EQ(f.Create(script), kAllCreatePages);
    EXPECT_TRUE(calendarTitle.endsWith(QString::number(nextMonth.day()) + "   " +
                                       QString::number(nextMonth.year())))
        << calendarTitle.toStdString();
    f.ExpectKeys("Dentist", "Date.Ck=1;Date.Year=" + QString::number(nextMonth.year()) +
                                ";Date.Month=" + QString::number(nextMonth.month()) +
                                ";Date.Day=" + QString::number(nextMonth.day()) +
                                ";Date.Hr=9;Date.Min=10;Date.Repeat=1;SayTime.Ck=1");
    EXPECT_TRUE(f.messages.Texts().value(0).startsWith("New reminder (Dentist)"));
}

// Create a monthly reminder, go back from a second create, modify it and delete it,
// every step a key.
TEST(KeyboardFlow, CreateGoBackModifyAndDeleteWithKeysOnly)
{
    FlowFixture f;
    f.Start();
    EXPECT_EQ(f.window->focusWidget(), f.window->ListBox1) << "the list has the focus first";
    QWidget* main = f.window.get();

    int step = 0; // which flow the windows belong to
    const auto answer = [&](QWidget* modal) {
        if (auto* name = qobject_cast<TFrmName*>(modal)) {
            QTest::keyClicks(name->focusWidget(), step == 0 ? "Rent" : "Other");
            Press(name, Qt::Key_Return);
        } else if (auto* when = qobject_cast<TFrmWhen*>(modal)) {
            if (step == 1) {
                // Round to the weekday group; its ten stops and the monthly four.
                Presses(when, Qt::Key_Tab, 15);
                EXPECT_EQ(Focused(when), "BitBtn1");
                Press(when, Qt::Key_Space);
                return true;
            }
            if (step == 0)
                Presses(when, Qt::Key_Down, 2); // the monthly option
            // The weekday group's ten stops, then the monthly hour, minute and day.
            Presses(when, Qt::Key_Tab, 11);
            EXPECT_EQ(Focused(when), "SpinEMHr");
            Press(when, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(when->focusWidget(), step == 0 ? "8" : "21");
            Presses(when, Qt::Key_Tab, 2);
            Press(when, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(when->focusWidget(), "15");
            // "Example", "Go Back", the date hour, minute, calendar and "Example" (the
            // repeat box is hidden), then "Continue".
            Presses(when, Qt::Key_Tab, 7);
            EXPECT_EQ(Focused(when), "CmdNext");
            Press(when, Qt::Key_Space);
        } else if (auto* what = qobject_cast<TFrmWhatType*>(modal)) {
            if (step == 0)
                Press(what, Qt::Key_Space); // "Say the time out loud"
            Press(what, Qt::Key_Return);    // "Done"
        } else {
            return false;
        }
        return true;
    };
    // One answerer per flow: each shows the reused pages anew.
    const auto keysOn = [&](int flow, int tabs) {
        step = flow;
        ModalAnswerer answerer(answer, 5000);
        Presses(main, Qt::Key_Tab, tabs);
        Press(main, Qt::Key_Space);
    };

    keysOn(0, 1); // "Create Reminder"
    f.ExpectKeys("Rent", "Monthly.Ck=1;Monthly.Day=15;Monthly.Hr=8;Monthly.Min=0;SayTime.Ck=1");

    keysOn(1, 0);
    EXPECT_EQ(f.Entries(), QStringList{"Rent"}) << "Go Back abandons the second create";

    keysOn(2, 1); // "Modify Reminder"
    f.ExpectKeys("Rent", "Monthly.Ck=1;Monthly.Day=15;Monthly.Hr=21;SayTime.Ck=1");
    EXPECT_EQ(f.window->Label3->text(), "9:00 PM  (Military Time : 21:00)");

    f.messages.answers.push_back(true);
    keysOn(3, 1); // "Delete Reminder"
    EXPECT_TRUE(f.Entries().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(f.Path("Rent")));
    EXPECT_EQ(f.messages.Texts(),
              (QStringList{"New reminder (Rent) was successfully created. It will now show in "
                           "your list.",
                           "Rent has been successfully updated.",
                           "You are about to delete the reminder named Rent. Click yes to confirm "
                           "the delete."}));
}

} // namespace
