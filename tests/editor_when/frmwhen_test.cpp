// The schedule page driven as the user and the flows drive it.
#include "fakes.h"
#include "folder.h"
#include "frmwhen.h"
#include "look.h"
#include "reminder.h"
#include "spinfield.h"
#include "tempenv.h"
#include "whentexts.h"

#include <QAccessible>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include <clocale>
#include <memory>

// The texts as the user reads them, spelled out so that a changed word fails here.
const char* const DateWrongOptionText =
    "You cannot use these options unless you choose the correct option at the top of the "
    "window. Click the first option at the top if you wish to set options based on a "
    "specific date, then you can use these settings.";
const char* const DaysWrongOptionText =
    "You cannot use these options unless you choose the correct option at the top of the "
    "window. Click the second option at the top if you wish to set options based on a "
    "specific days, then you can use these settings.";
const char* const MonthlyWrongOptionText =
    "You cannot use these options unless you choose the correct option at the top of the "
    "window. Click the third option at the top if you wish to set options based on month "
    "end or month beginning, then you can use these settings.";
const char* const DateExampleText =
    "Use this section anytime you wish to create a reminder to notify you when this date "
    "and time has arrived. For example, set a reminder for individual dates like a "
    "birthday approaching, meeting reminder, task you need to do, anniversary, or any "
    "other specific date. You can also check the \"Repeat\" box to make this reminder "
    "repeat. For example, if you set a reminder for August 3rd, and you click the "
    "\"Repeat\" box, then the reminder will notify you every year when August 3rd is "
    "reached. (Meaning your reminder will continue to repeat on this date, otherwise the "
    "reminder will just notify you one time when August 3rd is reached.)";
const char* const DaysExampleText =
    "Use this section anytime you wish to create a reminder to notify you when events "
    "occur repeatedly every day, week or weekend. For example, set a reminder for weekly "
    "meetings that occur every Wednesday, or an event that occurs every Saturday, or any "
    "other weekly or daily event you wish to be reminded about. Everytime the chosen "
    "day(s) and time is reached, a reminder will occur to notify you of your approaching "
    "event.";
const char* const MonthlyExampleText =
    "Use this section anytime you wish to create a monthly reminder for something that "
    "occurs at the beginning of the month or the end of the month. For example, set a "
    "reminder for paying bills at month end, or anything you want to be reminded about "
    "early in the month or late in the month, etc. Everytime your chosen day is reached "
    "every month, a reminder will occur to notify you of this.";

namespace {

class SchedulePage : public ::testing::Test {
protected:
    SchedulePage()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        geometry = env.Root() + QStringLiteral("/Velmaro6.ini");
        SetGeometryFile(geometry);
        page = std::make_unique<TFrmWhen>(messages);
    }
    ~SchedulePage() override { SetGeometryFile(QString()); }

    void Show()
    {
        page->BackChosen = false;
        page->open();
        QApplication::setActiveWindow(page.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(page.get()));
    }
    void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
    QStringList DateTexts() const
    {
        return {page->LblSD1->text(), page->ChkRepeat->text(), page->LblCalendar->text()};
    }
    // The colour a widget fills itself with, as the user sees it.
    static QColor Colour(const QWidget* w) { return w->palette().color(w->backgroundRole()); }

    TempXdg env;
    QString geometry;
    FakeMessages messages;
    std::unique_ptr<TFrmWhen> page;
};

TEST_F(SchedulePage, StartsWithNoOptionAndTheFieldsStartValues)
{
    EXPECT_EQ(page->windowTitle(), "\"When\" do you want this to occur?");
    EXPECT_EQ(page->size(), QSize(558, 651));
    EXPECT_FALSE(page->RadDate->isChecked() || page->RadDays->isChecked() ||
                 page->RadMonthly->isChecked());
    EXPECT_EQ(page->Calendar1->selectedDate(), QDate::currentDate());
    EXPECT_EQ(page->Calendar1->firstDayOfWeek(), Qt::Sunday);
    EXPECT_EQ(page->LblSD2->text(), "1:00");
    EXPECT_EQ(page->LblDatePMTime->text(), "1:00 AM");
    EXPECT_EQ(page->LblCalendar->text(), ::DateTexts(QDate::currentDate()).Calendar);
    EXPECT_TRUE(page->LblSD1->isHidden());
    EXPECT_TRUE(page->ChkRepeat->isHidden());
    EXPECT_FALSE(page->LblCalendar->isHidden());
    EXPECT_EQ(page->findChild<TSpinField*>("SpinEMDay")->MinValue(), 1);
    EXPECT_EQ(page->SpinEMDay->MaxValue(), 28);
    EXPECT_EQ(page->SpinSDHour->MaxValue(), 23);
    EXPECT_EQ(page->SpinDYMin->MaxValue(), 59);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(SchedulePage, TakesTheStoredSize)
{
    ASSERT_TRUE(WriteFormSize("FrmWhen", 640, 0));
    TFrmWhen other(messages);
    EXPECT_EQ(other.size(), QSize(640, 651));
}

TEST_F(SchedulePage, TimeTextsFollowTheDateFields)
{
    Show();
    page->SelectDate();
    const struct { int h, m; const char* h24; const char* h12; } cases[] = {
        {0, 5, "0:05", "12:05 AM"}, {12, 0, "12:00", "12:00 PM"},
        {23, 59, "23:59", "11:59 PM"}, {9, 7, "9:07", "9:07 AM"}};
    for (const auto& c : cases) {
        page->SpinSDHour->SetValue(c.h);
        page->SpinSDMin->SetValue(c.m);
        EXPECT_EQ(page->LblSD2->text(), c.h24);
        EXPECT_EQ(page->LblDatePMTime->text(), c.h12);
    }
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(SchedulePage, MonthArrowsResetTheDayAndRollTheYear)
{
    Show();
    page->SetCalendarDate(2005, 1, 31);
    Click(page->Image2);
    EXPECT_EQ(page->Calendar1->selectedDate(), QDate(2005, 2, 1));
    EXPECT_EQ(DateTexts(), (QStringList{"February, 1", "Repeat every February, 1", "February, 1   2005"}));

    page->SetCalendarDate(2005, 12, 15);
    Click(page->Image2);
    EXPECT_EQ(page->Calendar1->selectedDate(), QDate(2006, 1, 1));
    EXPECT_EQ(page->LblCalendar->text(), "January, 1   2006");

    page->SetCalendarDate(2006, 1, 10);
    Click(page->Image1);
    EXPECT_EQ(page->Calendar1->selectedDate(), QDate(2005, 12, 1));
    EXPECT_EQ(DateTexts(), (QStringList{"December, 1", "Repeat every December, 1", "December, 1   2005"}));
    EXPECT_EQ(page->Calendar1->yearShown(), 2005);
    EXPECT_EQ(page->Calendar1->monthShown(), 12);
}

TEST_F(SchedulePage, ApplyingADateNeverPassesThroughAMissingDay)
{
    TReminder r;
    r.Date = {true, 2006, 4, 10, 7, 45, true};
    page->SetCalendarDate(2006, 3, 31);
    page->ApplyReminder(r);
    EXPECT_EQ(page->Calendar1->selectedDate(), QDate(2006, 4, 10));
    EXPECT_EQ(page->LblSD1->text(), "April, 10");

    r.Date = {true, 2005, 2, 28, 30, 5, false};
    page->SetCalendarDate(2008, 2, 29);
    ASSERT_EQ(page->Calendar1->selectedDate(), QDate(2008, 2, 29));
    page->ApplyReminder(r);
    EXPECT_EQ(page->Calendar1->selectedDate(), QDate(2005, 2, 28));
    EXPECT_EQ(page->LblCalendar->text(), "February, 28   2005");
    EXPECT_EQ(page->SpinSDHour->text(), "23"); // a stored 30 shows as 23
    EXPECT_EQ(page->LblSD2->text(), "23:05");
    EXPECT_FALSE(page->ChkRepeat->isChecked());
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(SchedulePage, WeekdayListInFixedOrderWhateverOptionIsSelected)
{
    Show();
    Click(page->ChkSun);
    Click(page->ChkMon);
    EXPECT_EQ(page->LblDYDays->text(), "Mon Sun ");
    Click(page->ChkSun);
    Click(page->ChkMon);
    EXPECT_EQ(page->LblDYDays->text(), "");
    Click(page->ChkWed);
    Click(page->RadMonthly);
    EXPECT_EQ(page->LblDYDays->text(), "Wed ");
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(SchedulePage, GuardedFieldWarnsOnEveryStepAndLabelsFollowOnlyOnSelection)
{
    Show();
    Click(page->RadDays);
    page->SpinSDHour->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(page->SpinSDHour, Qt::Key_Up);
    ASSERT_EQ(messages.shown.size(), 3);
    for (const ShownMessage& m : messages.shown)
        EXPECT_EQ(m, (ShownMessage{"notice", DateWrongOptionText}));
    EXPECT_EQ(page->SpinSDHour->Value(), 4);
    EXPECT_EQ(page->LblSD2->text(), "1:00");

    Click(page->RadDate);
    EXPECT_EQ(page->LblSD2->text(), "4:00");
    EXPECT_EQ(page->LblDatePMTime->text(), "4:00 AM");
    EXPECT_EQ(messages.shown.size(), 3);

    page->SpinDYMin->SetValue(9);
    page->SpinEMDay->SetValue(9);
    EXPECT_EQ(messages.Texts(), (QStringList{DateWrongOptionText, DateWrongOptionText, DateWrongOptionText,
                                             DaysWrongOptionText, MonthlyWrongOptionText}));
}

TEST_F(SchedulePage, SelectionColoursAndShowsOnlyItsOwnSummaries)
{
    Show();
    Click(page->RadDays);
    const QColor highlight(244, 244, 244), plain(230, 228, 227);
    EXPECT_EQ(Colour(page->GrpDays), highlight);
    EXPECT_EQ(Colour(page->RadDays), highlight);
    EXPECT_EQ(Colour(page->GrpDate), plain);
    EXPECT_EQ(Colour(page->RadDate), plain);
    EXPECT_EQ(Colour(page->GrpMonthly), plain);
    EXPECT_TRUE(page->LblDaysTime->isVisible());
    EXPECT_FALSE(page->ChkRepeat->isVisible());
    EXPECT_FALSE(page->LblEM1->isVisible());
    EXPECT_EQ(page->LblDaysPMTime->text(), "1:00 AM");

    // "Day # 1" at once, with no change of the day field.
    Click(page->RadMonthly);
    EXPECT_EQ(page->LblEM1->text(), "Day # 1");
    EXPECT_EQ(Colour(page->GrpDays), plain);
    EXPECT_EQ(Colour(page->GrpMonthly), highlight);
    EXPECT_FALSE(page->LblDaysTime->isVisible());
    EXPECT_TRUE(page->LblMonthlyPMTime->isVisible());
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(SchedulePage, TypedDayStaysUntilTheFieldLosesFocus)
{
    Show();
    Click(page->RadMonthly);
    page->SpinEMDay->setFocus(Qt::TabFocusReason);
    page->SpinEMDay->selectAll();
    QTest::keyClicks(page->SpinEMDay, "30");
    EXPECT_EQ(page->LblEM1->text(), "Day # 30");
    EXPECT_EQ(page->SpinEMDay->text(), "30");
    QTest::keyClick(page->SpinEMDay, Qt::Key_Tab);
    EXPECT_FALSE(page->SpinEMDay->hasFocus());
    EXPECT_EQ(page->SpinEMDay->text(), "28");
    EXPECT_EQ(page->LblEM1->text(), "Day # 28");
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(SchedulePage, ExampleButtonsShowTheirHelpAndChangeNothing)
{
    Show();
    Click(page->BitBtn2);
    Click(page->BitBtn3);
    Click(page->BitBtn4);
    EXPECT_EQ(messages.Texts(), (QStringList{DateExampleText, DaysExampleText, MonthlyExampleText}));
    EXPECT_EQ(messages.shown.front().kind, "notice");
    EXPECT_TRUE(page->isVisible());
    EXPECT_FALSE(page->RadDate->isChecked());
}

TEST_F(SchedulePage, EveryCloseStoresTheSizeAndOnlyGoBackSetsBackChosen)
{
    Show();
    page->resize(600, 700);
    page->close(); // the window's close box
    EXPECT_FALSE(page->isVisible());
    EXPECT_FALSE(page->BackChosen);
    EXPECT_EQ(ReadFormWidth("FrmWhen"), 600);
    EXPECT_EQ(ReadFormHeight("FrmWhen"), 700);

    Show();
    page->resize(610, 710);
    QTest::keyClick(page.get(), Qt::Key_Escape); // no cancel on this page
    EXPECT_TRUE(page->isVisible());
    Click(page->BitBtn1);
    EXPECT_FALSE(page->isVisible());
    EXPECT_TRUE(page->BackChosen);
    EXPECT_EQ(ReadFormWidth("FrmWhen"), 610);

    Show();
    page->resize(620, 720);
    Click(page->CmdNext);
    EXPECT_FALSE(page->isVisible());
    EXPECT_FALSE(page->BackChosen);
    EXPECT_EQ(ReadFormHeight("FrmWhen"), 720);
}

TEST_F(SchedulePage, ASecondUseKeepsTheValuesOfTheFirst)
{
    TReminder loaded;
    loaded.Date = {true, 2010, 5, 6, 8, 15, true};
    loaded.Days = {true, true, false, false, false, true, false, false, 7, 30};
    page->ApplyReminder(loaded);
    Show();
    Click(page->CmdNext);

    page->BackChosen = false;
    page->SelectDate();
    Show();
    EXPECT_TRUE(page->RadDate->isChecked());
    EXPECT_EQ(page->Calendar1->selectedDate(), QDate(2010, 5, 6));
    EXPECT_EQ(page->LblDYDays->text(), "Mon Fri ");
    EXPECT_EQ(page->SpinDYHr->Value(), 7);
    EXPECT_EQ(page->LblSD2->text(), "8:15");
    EXPECT_TRUE(page->ChkRepeat->isVisible());
    EXPECT_TRUE(messages.shown.isEmpty());

    TReminder filled;
    page->FillReminder(filled);
    EXPECT_TRUE(filled.Date.Ck);
    EXPECT_FALSE(filled.Days.Ck || filled.Monthly.Ck);
    EXPECT_EQ(QDate(filled.Date.Year, filled.Date.Month, filled.Date.Day), QDate(2010, 5, 6));
    EXPECT_EQ(filled.Date.Hr, 8);
    EXPECT_EQ(filled.Date.Min, 15);
    EXPECT_TRUE(filled.Date.Repeat);
    EXPECT_TRUE(filled.Days.Mon && filled.Days.Fri && !filled.Days.Sun);
    EXPECT_EQ(filled.Days.Min, 30);
    Click(page->CmdNext);
}

TEST_F(SchedulePage, MonthlyReminderIsAppliedAndFilledWithoutWarnings)
{
    TReminder loaded;
    loaded.Monthly = {true, 2026, 3, 31, 22, 9};
    page->ApplyReminder(loaded);
    EXPECT_TRUE(page->RadMonthly->isChecked());
    EXPECT_EQ(page->LblEM1->text(), "Day # 28");
    EXPECT_EQ(page->LblEM2->text(), "22:09");
    EXPECT_EQ(page->LblMonthlyPMTime->text(), "10:09 PM");
    EXPECT_TRUE(messages.shown.isEmpty());

    TReminder filled;
    page->FillReminder(filled);
    EXPECT_TRUE(filled.Monthly.Ck);
    EXPECT_FALSE(filled.Date.Ck || filled.Days.Ck);
    EXPECT_EQ(filled.Monthly.Day, 28);
    EXPECT_EQ(filled.Monthly.Hr, 22);
    EXPECT_EQ(filled.Monthly.Min, 9);
}

TEST_F(SchedulePage, TabOrderFollowsTheGroupsOrder)
{
    Show();
    page->SelectDate();
    const QList<QWidget*> expected = {
        page->ChkMon,    page->ChkTue,     page->ChkWed,    page->ChkThu,    page->ChkFri,
        page->ChkSat,    page->ChkSun,     page->SpinDYHr,  page->SpinDYMin, page->BitBtn3,
        page->SpinEMHr,  page->SpinEMMin,  page->SpinEMDay, page->BitBtn4,   page->BitBtn1,
        page->SpinSDHour, page->SpinSDMin, page->Calendar1, page->ChkRepeat, page->BitBtn2,
        page->CmdNext,   page->RadDate};
    page->ChkMon->setFocus(Qt::TabFocusReason);
    QStringList seen, wanted;
    for (QWidget* w : expected) {
        wanted << w->objectName();
        QWidget* focus = QApplication::focusWidget();
        while (focus && !expected.contains(focus))
            focus = focus->parentWidget();
        seen << (focus ? focus->objectName() : QStringLiteral("?"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(seen, wanted);
}

// What a screen reader says for each control of the page.
TEST_F(SchedulePage, EveryFieldAndButtonHasAnAccessibleName)
{
    const auto name = [](QWidget* w) {
        return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
    };
    for (TSpinField* hour : {page->SpinSDHour, page->SpinDYHr, page->SpinEMHr})
        EXPECT_EQ(name(hour), "Time: hour") << hour->objectName().toStdString();
    for (TSpinField* minute : {page->SpinSDMin, page->SpinDYMin, page->SpinEMMin})
        EXPECT_EQ(name(minute), "Time: minute") << minute->objectName().toStdString();
    EXPECT_EQ(name(page->SpinEMDay), "Day:");
    // Each row's caption is the buddy of its first field.
    QStringList buddies;
    for (const QLabel* label : page->findChildren<QLabel*>())
        if (qobject_cast<TSpinField*>(label->buddy()))
            buddies << label->text() + QLatin1Char('>') + label->buddy()->objectName();
    buddies.sort();
    EXPECT_EQ(buddies, QStringList({"Day:>SpinEMDay", "Time:>SpinDYHr", "Time:>SpinEMHr",
                                    "Time:>SpinSDHour"}))
        << buddies.join(u' ').toStdString();
    EXPECT_EQ(name(page->Calendar1), "Date");
    EXPECT_EQ(page->LblCalendar->buddy(), page->Calendar1);
    EXPECT_EQ(name(page->BitBtn2), "Example: specific date");
    EXPECT_EQ(name(page->BitBtn3), "Example: weekdays");
    EXPECT_EQ(name(page->BitBtn4), "Example: monthly");
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(page.get()) ||
            qobject_cast<QLineEdit*>(w))
            continue;
        EXPECT_FALSE(name(w).trimmed().isEmpty()) << w->metaObject()->className() << " "
                                                  << w->objectName().toStdString();
    }
}

TEST_F(SchedulePage, AValueSetByAScreenReaderRefreshesTheTextsAsTypingDoes)
{
    Show();
    page->SelectDate();
    page->SpinSDHour->SetValue(9);
    QAccessibleValueInterface* minute =
        QAccessible::queryAccessibleInterface(page->SpinSDMin)->valueInterface();
    minute->setCurrentValue(75);
    EXPECT_EQ(page->SpinSDMin->text(), "59");
    EXPECT_EQ(page->LblSD2->text(), "9:59");
    EXPECT_EQ(page->LblDatePMTime->text(), "9:59 AM");
    QAccessible::queryAccessibleInterface(page->SpinSDHour)->valueInterface()->setCurrentValue(13);
    EXPECT_EQ(page->LblSD2->text(), "13:59");
    EXPECT_EQ(page->LblDatePMTime->text(), "1:59 PM");
    TReminder r;
    page->FillReminder(r);
    EXPECT_EQ(r.Date.Hr, 13);
    EXPECT_EQ(r.Date.Min, 59);
    // A field of a group not selected warns, as a typed change does.
    QAccessible::queryAccessibleInterface(page->SpinDYMin)->valueInterface()->setCurrentValue(5);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].text.startsWith(
        "You cannot use these options unless you choose the correct option at the top of the "
        "window. Click the second option"));
}

TEST_F(SchedulePage, EveryTextReadsAndEveryControlAndWeekIsWhole)
{
    const auto show = [this] {
        page = std::make_unique<TFrmWhen>(messages);
        Show();
        page->SelectDate();
        page->SetCalendarDate(2026, 12, 15);
        return page.get();
    };
    ExpectReadableAndWholeInEveryLook(show, [this] {
        // Row 0 holds the weekday names; the sixth week holds 27 to 31 December.
        const auto* days = page->Calendar1->findChild<QTableView*>();
        ASSERT_NE(days, nullptr);
        EXPECT_TRUE(days->viewport()->rect().contains(days->visualRect(days->model()->index(6, 0))));
        EXPECT_EQ(page->LblSD2->palette().color(QPalette::WindowText), QColor(Qt::blue));
    });
}

// The locale runs of these tests are only worth something when the locale is in force.
TEST(LocaleRun, TheRequestedLocaleIsInForce)
{
    const QByteArray wanted = qgetenv("NELVORA_TEST_LOCALE");
    if (wanted.isEmpty())
        GTEST_SKIP() << "not a locale run";
    const char* current = std::setlocale(LC_ALL, nullptr);
    EXPECT_EQ(QByteArray(current ? current : ""), wanted)
        << "the locale is not installed; scripts/setup.sh generates it";
    EXPECT_EQ(QLocale::system().name().toLatin1(), wanted.left(wanted.indexOf('.')));
}

} // namespace
