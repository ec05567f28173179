#include "frmwhen.h"

#include "folder.h"
#include "messages.h"
#include "reminder.h"
#include "spinfield.h"
#include "whentexts.h"
#include "windowparts.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

namespace {
constexpr const char* kWindowName = "FrmWhen";
} // namespace

TFrmWhen::TFrmWhen(IMessages& messages, QWidget* parent)
    : QDialog(parent), messages_(messages)
{
    setObjectName(QString::fromLatin1(kWindowName));
    setWindowTitle(QString::fromLatin1(kWhenCaption));
    setModal(true);
    Paint(this, kPageColour);
    BuildPage();
    // Enter in a field must not press whichever button happens to come first, least of
    // all "Go Back", which throws the edit away; Space presses the focused button.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);
    SetTabOrder();
    KeepContentWhole(this);
    FormCreate();
}

void TFrmWhen::FormCreate()
{
    resize(RestoredFormSize(QString::fromLatin1(kWindowName), {kDefaultWidth, kDefaultHeight}));
    // No option is selected yet, so every group's summary starts hidden.
    SetSummaryVisible({}, {Label1, LblSD1, LblSD2, LblDatePMTime, ChkRepeat, Label3, LblDaysTime,
                           LblDaysPMTime, LblDYDays, Label5, LblEM1, LblEM2, LblMonthlyPMTime});
    SetDateLabels();
    RefreshDateTime();
}

void TFrmWhen::SetSummaryVisible(const QList<QWidget*>& shown, const QList<QWidget*>& hidden)
{
    for (QWidget* w : hidden) {
        // Hidden summaries keep their room, so the page does not jump on selection.
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
        w->setVisible(false);
    }
    for (QWidget* w : shown)
        w->setVisible(true);
}

void TFrmWhen::ShowGroup(QGroupBox* group, QRadioButton* option)
{
    const QList<QPair<QGroupBox*, QRadioButton*>> pairs = {
        {GrpDate, RadDate}, {GrpDays, RadDays}, {GrpMonthly, RadMonthly}};
    for (const auto& [g, r] : pairs) {
        const QRgb colour = g == group ? kHighlightColour : kPageColour;
        Paint(g, colour);
        Paint(r, r == option ? kHighlightColour : kPageColour);
    }
}

void TFrmWhen::SelectDate()
{
    RadDate->setChecked(true);
}

void TFrmWhen::RadDateClick()
{
    ShowGroup(GrpDate, RadDate);
    SetSummaryVisible({Label1, LblSD1, LblSD2, LblDatePMTime, ChkRepeat},
                      {Label3, LblDaysTime, LblDaysPMTime, LblDYDays, Label5, LblEM1, LblEM2,
                       LblMonthlyPMTime});
    RefreshDateTime();
}

void TFrmWhen::RadDaysClick()
{
    ShowGroup(GrpDays, RadDays);
    SetSummaryVisible({Label3, LblDaysTime, LblDaysPMTime, LblDYDays},
                      {Label1, LblSD1, LblSD2, LblDatePMTime, ChkRepeat, Label5, LblEM1, LblEM2,
                       LblMonthlyPMTime});
    RefreshDaysTime();
}

void TFrmWhen::RadMonthlyClick()
{
    ShowGroup(GrpMonthly, RadMonthly);
    SetSummaryVisible({Label5, LblEM1, LblEM2, LblMonthlyPMTime},
                      {Label1, LblSD1, LblSD2, LblDatePMTime, ChkRepeat, Label3, LblDaysTime,
                       LblDaysPMTime, LblDYDays});
    RefreshMonthlyTime();
    LblEM1->setText(MonthlyDayText(SpinEMDay->Value()));
}

void TFrmWhen::SetTimeLabels(int hour, int minute, QLabel* label24, QLabel* label12)
{
    const TTimeTexts texts = TimeTexts(hour, minute);
    label24->setText(texts.H24);
    label12->setText(texts.H12);
}

void TFrmWhen::RefreshDateTime()
{
    SetTimeLabels(SpinSDHour->Value(), SpinSDMin->Value(), LblSD2, LblDatePMTime);
}

void TFrmWhen::RefreshDaysTime()
{
    SetTimeLabels(SpinDYHr->Value(), SpinDYMin->Value(), LblDaysTime, LblDaysPMTime);
}

void TFrmWhen::RefreshMonthlyTime()
{
    SetTimeLabels(SpinEMHr->Value(), SpinEMMin->Value(), LblEM2, LblMonthlyPMTime);
}

void TFrmWhen::SetDateLabels()
{
    const TDateTexts texts = DateTexts(Calendar1->selectedDate());
    LblSD1->setText(texts.SD1);
    ChkRepeat->setText(texts.Repeat);
    LblCalendar->setText(texts.Calendar);
}

void TFrmWhen::SetDaysLabel()
{
    const bool checked[7] = {ChkMon->isChecked(), ChkTue->isChecked(), ChkWed->isChecked(),
                             ChkThu->isChecked(), ChkFri->isChecked(), ChkSat->isChecked(),
                             ChkSun->isChecked()};
    LblDYDays->setText(DaysText(checked));
}

// Each change of a group's field refreshes its summary only while its option is
// selected; otherwise the value stays and the user is told which option it belongs to.
void TFrmWhen::SpinSDHourChange()
{
    if (!RadDate->isChecked())
        return messages_.Notice(QString::fromLatin1(kDateWrongOption));
    RefreshDateTime();
}

void TFrmWhen::SpinSDMinChange() { SpinSDHourChange(); }

void TFrmWhen::SpinDYHrChange()
{
    if (!RadDays->isChecked())
        return messages_.Notice(QString::fromLatin1(kDaysWrongOption));
    RefreshDaysTime();
}

void TFrmWhen::SpinDYMinChange() { SpinDYHrChange(); }

void TFrmWhen::SpinEMHrChange()
{
    if (!RadMonthly->isChecked())
        return messages_.Notice(QString::fromLatin1(kMonthlyWrongOption));
    RefreshMonthlyTime();
}

void TFrmWhen::SpinEMMinChange() { SpinEMHrChange(); }

void TFrmWhen::SpinEMDayChange()
{
    if (!RadMonthly->isChecked())
        return messages_.Notice(QString::fromLatin1(kMonthlyWrongOption));
    LblEM1->setText(MonthlyDayText(SpinEMDay->Value()));
}

void TFrmWhen::ChkMonClick() { SetDaysLabel(); }
void TFrmWhen::Calendar1Change() { SetDateLabels(); }
void TFrmWhen::Calendar1Click() { SetDateLabels(); }

void TFrmWhen::StepCalendar(const QList<QDate>& steps)
{
    // One date at a time, so each step raises the calendar's change event.
    for (const QDate& date : steps)
        Calendar1->setSelectedDate(date);
}

void TFrmWhen::SetCalendarDate(int year, int month, int day)
{
    StepCalendar(CalendarSetSteps(Calendar1->selectedDate(), year, month, day));
}

void TFrmWhen::Image1Click()
{
    StepCalendar(MonthStepSteps(Calendar1->selectedDate(), false));
}

void TFrmWhen::Image2Click()
{
    StepCalendar(MonthStepSteps(Calendar1->selectedDate(), true));
}

void TFrmWhen::BitBtn2Click() { messages_.Notice(QString::fromLatin1(kDateExample)); }
void TFrmWhen::BitBtn3Click() { messages_.Notice(QString::fromLatin1(kDaysExample)); }
void TFrmWhen::BitBtn4Click() { messages_.Notice(QString::fromLatin1(kMonthlyExample)); }

void TFrmWhen::CmdNextClick() { accept(); }

void TFrmWhen::BitBtn1Click()
{
    BackChosen = true;
    reject();
}

void TFrmWhen::done(int result)
{
    FormCloseQuery();
    QDialog::done(result);
}

void TFrmWhen::FormCloseQuery()
{
    // A value typed out of range is pulled to its bound as leaving the field would, so
    // the page never hands on a value its field cannot hold.
    for (TSpinField* spin : {SpinSDHour, SpinSDMin, SpinDYHr, SpinDYMin, SpinEMDay, SpinEMHr, SpinEMMin})
        spin->Commit();
    WriteFormSize(QString::fromLatin1(kWindowName), width(), height());
}

void TFrmWhen::ApplyReminder(const TReminder& r)
{
    if (r.Date.Ck) {
        RadDate->setChecked(true);
        SetCalendarDate(r.Date.Year, r.Date.Month, r.Date.Day);
        SpinSDHour->SetValue(r.Date.Hr);
        SpinSDMin->SetValue(r.Date.Min);
        ChkRepeat->setChecked(r.Date.Repeat);
    }
    if (r.Days.Ck) {
        RadDays->setChecked(true);
        ChkMon->setChecked(r.Days.Mon);
        ChkTue->setChecked(r.Days.Tue);
        ChkWed->setChecked(r.Days.Wed);
        ChkThu->setChecked(r.Days.Thu);
        ChkFri->setChecked(r.Days.Fri);
        ChkSat->setChecked(r.Days.Sat);
        ChkSun->setChecked(r.Days.Sun);
        SpinDYHr->SetValue(r.Days.Hr);
        SpinDYMin->SetValue(r.Days.Min);
    }
    if (r.Monthly.Ck) {
        RadMonthly->setChecked(true);
        SpinEMDay->SetValue(r.Monthly.Day);
        SpinEMHr->SetValue(r.Monthly.Hr);
        SpinEMMin->SetValue(r.Monthly.Min);
    }
}

void TFrmWhen::FillReminder(TReminder& r) const
{
    r.Date.Ck = RadDate->isChecked();
    r.Days.Ck = RadDays->isChecked();
    r.Monthly.Ck = RadMonthly->isChecked();

    const QDate date = Calendar1->selectedDate();
    r.Date.Year = date.year();
    r.Date.Month = date.month();
    r.Date.Day = date.day();
    r.Date.Hr = SpinSDHour->BoundedValue();
    r.Date.Min = SpinSDMin->BoundedValue();
    r.Date.Repeat = ChkRepeat->isChecked();

    r.Days.Mon = ChkMon->isChecked();
    r.Days.Tue = ChkTue->isChecked();
    r.Days.Wed = ChkWed->isChecked();
    r.Days.Thu = ChkThu->isChecked();
    r.Days.Fri = ChkFri->isChecked();
    r.Days.Sat = ChkSat->isChecked();
    r.Days.Sun = ChkSun->isChecked();
    r.Days.Hr = SpinDYHr->BoundedValue();
    r.Days.Min = SpinDYMin->BoundedValue();

    // Year and month of a monthly reminder are worked out when it is saved.
    r.Monthly.Day = SpinEMDay->BoundedValue();
    r.Monthly.Hr = SpinEMHr->BoundedValue();
    r.Monthly.Min = SpinEMMin->BoundedValue();
}

bool TFrmWhen::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == Image1 || watched == Image2) && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* image = static_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton && image->rect().contains(mouse->position().toPoint())) {
            if (watched == Image1)
                Image1Click();
            else
                Image2Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmWhen::keyPressEvent(QKeyEvent* event)
{
    // The page has no cancel: Escape does not close it.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFrmWhen::showEvent(QShowEvent* event)
{
    // The page is reused: left where the last edit put it, the focus could sit in another
    // option's field, and every key typed there would raise the wrong-option box.
    if (!event->spontaneous())
        FocusChosenOption();
    QDialog::showEvent(event);
    CentreOnScreen(this);
}

void TFrmWhen::FocusChosenOption()
{
    for (QRadioButton* option : {RadDate, RadDays, RadMonthly}) {
        if (option->isChecked())
            return option->setFocus(Qt::OtherFocusReason);
    }
    RadDate->setFocus(Qt::OtherFocusReason);
}
