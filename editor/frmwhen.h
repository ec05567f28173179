#pragma once
// The schedule page: one of three schedule kinds and its settings, with live summaries.
// Created once at editor start; its values survive from one use to the next.

#include <QColor>
#include <QDialog>
#include <QList>

class IMessages;
class QCalendarWidget;
class QCheckBox;
class QDate;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class TSpinField;
struct TReminder;

class TFrmWhen : public QDialog {
    Q_OBJECT
public:
    // FormCreate: the size stored under "FrmWhen", the date texts and the date time texts.
    explicit TFrmWhen(IMessages& messages, QWidget* parent = nullptr);

    bool BackChosen = false;

    // Selects RadDate as a click would; nothing runs when it is already selected.
    void SelectDate();
    // Each kind whose Ck is set: its option first, then its fields.
    void ApplyReminder(const TReminder& r);
    // Ck is true for the selected option only; every field is taken from the page.
    void FillReminder(TReminder& r) const;
    // Day 1 first, then year, month and day, each left alone when out of range.
    void SetCalendarDate(int year, int month, int day);

    QLabel* LblIntro = nullptr;
    QGroupBox* GrpOptions = nullptr;
    QRadioButton* RadDate = nullptr;
    QRadioButton* RadDays = nullptr;
    QRadioButton* RadMonthly = nullptr;
    QLabel* Image3 = nullptr;

    QGroupBox* GrpDate = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* LblSD2 = nullptr;
    QLabel* LblDatePMTime = nullptr;
    QLabel* LblSD1 = nullptr;
    QCheckBox* ChkRepeat = nullptr;
    TSpinField* SpinSDHour = nullptr;
    TSpinField* SpinSDMin = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* LblCalendar = nullptr;
    QLabel* Image2 = nullptr;
    QCalendarWidget* Calendar1 = nullptr;
    QPushButton* BitBtn2 = nullptr;

    QGroupBox* GrpDays = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* LblDaysTime = nullptr;
    QLabel* LblDaysPMTime = nullptr;
    QLabel* LblDYDays = nullptr;
    QCheckBox* ChkMon = nullptr;
    QCheckBox* ChkTue = nullptr;
    QCheckBox* ChkWed = nullptr;
    QCheckBox* ChkThu = nullptr;
    QCheckBox* ChkFri = nullptr;
    QCheckBox* ChkSat = nullptr;
    QCheckBox* ChkSun = nullptr;
    TSpinField* SpinDYHr = nullptr;
    TSpinField* SpinDYMin = nullptr;
    QPushButton* BitBtn3 = nullptr;

    QGroupBox* GrpMonthly = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* LblEM1 = nullptr;
    QLabel* LblEM2 = nullptr;
    QLabel* LblMonthlyPMTime = nullptr;
    TSpinField* SpinEMDay = nullptr;
    TSpinField* SpinEMHr = nullptr;
    TSpinField* SpinEMMin = nullptr;
    QPushButton* BitBtn4 = nullptr;

    QPushButton* BitBtn1 = nullptr; // Go Back
    QPushButton* CmdNext = nullptr; // Continue

public Q_SLOTS:
    void RadDateClick();
    void RadDaysClick();
    void RadMonthlyClick();
    void SpinSDHourChange();
    void SpinSDMinChange();
    void SpinDYHrChange();
    void SpinDYMinChange();
    void SpinEMHrChange();
    void SpinEMMinChange();
    void SpinEMDayChange();
    void ChkMonClick();
    void Calendar1Change();
    void Calendar1Click();
    void Image1Click();
    void Image2Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void CmdNextClick();
    void BitBtn1Click();
    // Every close: Continue, Go Back and the close box.
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    static constexpr int kDefaultWidth = 558;
    static constexpr int kDefaultHeight = 651;
    static constexpr QRgb kPageColour = qRgb(230, 228, 227);
    static constexpr QRgb kHighlightColour = qRgb(244, 244, 244);
    static void Paint(QWidget* widget, QRgb colour);

    void BuildOptionGroup();
    void BuildDateGroup();
    void BuildDaysGroup();
    void BuildMonthlyGroup();
    void BuildPage();
    void SetTabOrder();
    void FormCreate();
    void FormCloseQuery();
    // The selected option, or the first when none is.
    void FocusChosenOption();

    void SetTimeLabels(int hour, int minute, QLabel* label24, QLabel* label12);
    void SetDateLabels();
    void SetDaysLabel();
    void ShowGroup(QGroupBox* group, QRadioButton* option);
    void SetSummaryVisible(const QList<QWidget*>& shown, const QList<QWidget*>& hidden);
    void StepCalendar(const QList<QDate>& steps);
    void RefreshDateTime();
    void RefreshDaysTime();
    void RefreshMonthlyTime();

    IMessages& messages_;
};
