// How the schedule page is put together: its controls, layouts and keyboard order.
#include "frmwhen.h"

#include "spinfield.h"
#include "whentexts.h"
#include "windowparts.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QColor kSummaryColour(Qt::blue);

template <typename T>
T* Named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QColor& colour, bool underline,
                  const QString& text = {})
{
    auto* label = Named(new QLabel(text, parent), name);
    label->setTextFormat(Qt::PlainText);
    QFont font = label->font();
    font.setBold(true);
    font.setUnderline(underline);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

QLabel* Caption(QWidget* parent, const char* text)
{
    return new QLabel(QString::fromLatin1(text), parent);
}

TSpinField* MakeSpin(QWidget* parent, const char* name, int minimum, int maximum, int start)
{
    auto* spin = Named(new TSpinField(minimum, maximum, start, parent), name);
    spin->setMinimumWidth(56);
    return spin;
}

// A month arrow: a filled triangle pointing left or right.
QPixmap ArrowPixmap(bool right)
{
    QPixmap pixmap(18, 18);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    if (right) {
        path.moveTo(5, 3);
        path.lineTo(14, 9);
        path.lineTo(5, 15);
    } else {
        path.moveTo(13, 3);
        path.lineTo(4, 9);
        path.lineTo(13, 15);
    }
    path.closeSubpath();
    painter.fillPath(path, QColor(40, 70, 160));
    return pixmap;
}

QLabel* MakeArrow(QWidget* parent, const char* name, bool right)
{
    auto* arrow = Named(new QLabel(parent), name);
    arrow->setPixmap(ArrowPixmap(right));
    arrow->setCursor(Qt::PointingHandCursor);
    const QString what = right ? QStringLiteral("Next month") : QStringLiteral("Previous month");
    arrow->setToolTip(what);
    arrow->setAccessibleName(what);
    return arrow;
}

// A caption followed by its fields, left-aligned; the caption names the first field for
// a screen reader.
QHBoxLayout* FieldRow(QWidget* parent, const char* caption, const QList<QWidget*>& fields)
{
    auto* row = new QHBoxLayout;
    auto* label = Caption(parent, caption);
    label->setBuddy(fields.value(0));
    label->setMinimumWidth(36);
    row->addWidget(label);
    for (QWidget* field : fields)
        row->addWidget(field);
    row->addStretch(1);
    return row;
}

// A field pair read as one time: the row's caption names the hour; the minute, which no
// caption can name as well, says what it is.
void NameTimeFields(QWidget* hour, QWidget* minute)
{
    hour->setAccessibleName(QStringLiteral("Time: hour"));
    minute->setAccessibleName(QStringLiteral("Time: minute"));
}

// Every group has one "Example" button; a screen reader hears which option it explains.
void NameExample(QWidget* button, const char* option, const char* explains)
{
    button->setAccessibleName(QStringLiteral("Example: ") + QString::fromLatin1(option));
    button->setAccessibleDescription(QString::fromLatin1(explains));
}

} // namespace

void TFrmWhen::Paint(QWidget* widget, QRgb colour)
{
    FixBackground(widget, QColor::fromRgb(colour));
}

void TFrmWhen::BuildOptionGroup()
{
    GrpOptions = Named(new QGroupBox(this), "GrpOptions");
    GrpOptions->setAccessibleName(QStringLiteral("Schedule"));
    RadDate = Named(new QRadioButton(QStringLiteral("I want this reminder to notify me on a specific date or occasion."), GrpOptions), "RadDate");
    RadDays = Named(new QRadioButton(QStringLiteral("I want this reminder to notify me every week, weekend, or specific weekday."), GrpOptions), "RadDays");
    RadMonthly = Named(new QRadioButton(QStringLiteral("I want this reminder to notify me at the start or end of every month."), GrpOptions), "RadMonthly");
    auto* column = new QVBoxLayout(GrpOptions);
    column->setContentsMargins(8, 4, 8, 4);
    column->setSpacing(2);
    for (QRadioButton* option : {RadDate, RadDays, RadMonthly}) {
        Paint(option, kPageColour);
        column->addWidget(option);
    }
    // Selection only: a click on the selected option changes nothing.
    connect(RadDate, &QRadioButton::toggled, this, [this](bool on) { if (on) RadDateClick(); });
    connect(RadDays, &QRadioButton::toggled, this, [this](bool on) { if (on) RadDaysClick(); });
    connect(RadMonthly, &QRadioButton::toggled, this, [this](bool on) { if (on) RadMonthlyClick(); });
}

void TFrmWhen::BuildDateGroup()
{
    GrpDate = Named(new QGroupBox(this), "GrpDate");
    Paint(GrpDate, kPageColour);
    Label1 = MakeLabel(GrpDate, "Label1", kSummaryColour, false, QStringLiteral("Time / Date :"));
    LblSD2 = MakeLabel(GrpDate, "LblSD2", kSummaryColour, true);
    LblDatePMTime = MakeLabel(GrpDate, "LblDatePMTime", kSummaryColour, true);
    LblSD1 = MakeLabel(GrpDate, "LblSD1", kSummaryColour, true);
    BitBtn2 = MakeButton(GrpDate, "BitBtn2", "Example");
    ChkRepeat = Named(new QCheckBox(GrpDate), "ChkRepeat");
    SpinSDHour = MakeSpin(GrpDate, "SpinSDHour", 0, 23, 1);
    SpinSDMin = MakeSpin(GrpDate, "SpinSDMin", 0, 59, 0);
    Image1 = MakeArrow(GrpDate, "Image1", false);
    Image2 = MakeArrow(GrpDate, "Image2", true);
    LblCalendar = MakeLabel(GrpDate, "LblCalendar", Qt::black, false);
    LblCalendar->setAlignment(Qt::AlignCenter);
    Calendar1 = Named(new QCalendarWidget(GrpDate), "Calendar1");
    Calendar1->setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    Calendar1->setFirstDayOfWeek(Qt::Sunday);
    Calendar1->setNavigationBarVisible(false);
    Calendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    Calendar1->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    Calendar1->setDateRange(QDate(kFirstCalendarYear, 1, 1), QDate(kLastCalendarYear, 12, 31));
    Calendar1->setSelectedDate(QDate::currentDate());
    Calendar1->setAccessibleName(QStringLiteral("Date"));
    // The day grid is the part a screen reader lands on; like any item view it is named
    // only by its own accessible name.
    if (auto* grid = Calendar1->findChild<QAbstractItemView*>())
        grid->setAccessibleName(QStringLiteral("Date"));
    LblCalendar->setBuddy(Calendar1);

    auto* summary = new QHBoxLayout;
    summary->setSpacing(10);
    for (QWidget* w : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(LblSD2),
                       static_cast<QWidget*>(LblDatePMTime), static_cast<QWidget*>(LblSD1)})
        summary->addWidget(w);
    summary->addStretch(1);
    summary->addWidget(BitBtn2);

    auto* time = FieldRow(GrpDate, "Time:", {SpinSDHour, SpinSDMin});
    NameTimeFields(SpinSDHour, SpinSDMin);
    GrpDate->setAccessibleName(QStringLiteral("Specific date"));
    NameExample(BitBtn2, "specific date",
                "Explains reminders on a specific date or occasion, once or every year.");

    auto* month = new QHBoxLayout;
    month->addWidget(Image1);
    month->addWidget(LblCalendar, 1);
    month->addWidget(Image2);

    auto* calendar = new QVBoxLayout;
    calendar->setSpacing(2);
    calendar->addLayout(month);
    calendar->addWidget(Calendar1, 1);
    auto* centred = new QHBoxLayout;
    centred->addStretch(1);
    centred->addLayout(calendar, 4);
    centred->addStretch(1);

    auto* column = new QVBoxLayout(GrpDate);
    column->setContentsMargins(8, 4, 8, 6);
    column->setSpacing(4);
    column->addLayout(summary);
    column->addWidget(ChkRepeat);
    column->addLayout(time);
    column->addLayout(centred, 1);

    connect(SpinSDHour, &TSpinField::Changed, this, &TFrmWhen::SpinSDHourChange);
    connect(SpinSDMin, &TSpinField::Changed, this, &TFrmWhen::SpinSDMinChange);
    connect(Calendar1, &QCalendarWidget::selectionChanged, this, &TFrmWhen::Calendar1Change);
    connect(Calendar1, &QCalendarWidget::clicked, this, &TFrmWhen::Calendar1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFrmWhen::BitBtn2Click);
    Image1->installEventFilter(this);
    Image2->installEventFilter(this);
}

void TFrmWhen::BuildDaysGroup()
{
    GrpDays = Named(new QGroupBox(this), "GrpDays");
    Paint(GrpDays, kPageColour);
    Label3 = MakeLabel(GrpDays, "Label3", kSummaryColour, false, QStringLiteral("Time :"));
    LblDaysTime = MakeLabel(GrpDays, "LblDaysTime", kSummaryColour, true);
    LblDaysPMTime = MakeLabel(GrpDays, "LblDaysPMTime", kSummaryColour, true);
    LblDYDays = MakeLabel(GrpDays, "LblDYDays", kSummaryColour, true);
    BitBtn3 = MakeButton(GrpDays, "BitBtn3", "Example");
    ChkMon = Named(new QCheckBox(QStringLiteral("Mon"), GrpDays), "ChkMon");
    ChkTue = Named(new QCheckBox(QStringLiteral("Tue"), GrpDays), "ChkTue");
    ChkWed = Named(new QCheckBox(QStringLiteral("Wed"), GrpDays), "ChkWed");
    ChkThu = Named(new QCheckBox(QStringLiteral("Thu"), GrpDays), "ChkThu");
    ChkFri = Named(new QCheckBox(QStringLiteral("Fri"), GrpDays), "ChkFri");
    ChkSat = Named(new QCheckBox(QStringLiteral("Sat"), GrpDays), "ChkSat");
    ChkSun = Named(new QCheckBox(QStringLiteral("Sun"), GrpDays), "ChkSun");
    SpinDYHr = MakeSpin(GrpDays, "SpinDYHr", 0, 23, 1);
    SpinDYMin = MakeSpin(GrpDays, "SpinDYMin", 0, 59, 0);

    auto* summary = new QHBoxLayout;
    summary->setSpacing(10);
    for (QWidget* w : {static_cast<QWidget*>(Label3), static_cast<QWidget*>(LblDaysTime),
                       static_cast<QWidget*>(LblDaysPMTime), static_cast<QWidget*>(LblDYDays)})
        summary->addWidget(w);
    summary->addStretch(1);
    summary->addWidget(BitBtn3);

    auto* days = new QHBoxLayout;
    for (QCheckBox* box : {ChkMon, ChkTue, ChkWed, ChkThu, ChkFri, ChkSat, ChkSun}) {
        days->addWidget(box);
        // A program change updates the list as a click does, so a loaded reminder's
        // weekdays are never shown with the list of an earlier one.
        connect(box, &QCheckBox::toggled, this, &TFrmWhen::ChkMonClick);
    }
    days->addStretch(1);

    auto* column = new QVBoxLayout(GrpDays);
    column->setContentsMargins(8, 4, 8, 6);
    column->setSpacing(4);
    column->addLayout(summary);
    column->addLayout(days);
    column->addLayout(FieldRow(GrpDays, "Time:", {SpinDYHr, SpinDYMin}));
    NameTimeFields(SpinDYHr, SpinDYMin);
    GrpDays->setAccessibleName(QStringLiteral("Weekdays"));
    NameExample(BitBtn3, "weekdays", "Explains reminders on chosen weekdays, every week.");

    connect(SpinDYHr, &TSpinField::Changed, this, &TFrmWhen::SpinDYHrChange);
    connect(SpinDYMin, &TSpinField::Changed, this, &TFrmWhen::SpinDYMinChange);
    connect(BitBtn3, &QPushButton::clicked, this, &TFrmWhen::BitBtn3Click);
}

void TFrmWhen::BuildMonthlyGroup()
{
    GrpMonthly = Named(new QGroupBox(this), "GrpMonthly");
    Paint(GrpMonthly, kPageColour);
    Label5 = MakeLabel(GrpMonthly, "Label5", kSummaryColour, false, QStringLiteral("Day / Time :"));
    LblEM1 = MakeLabel(GrpMonthly, "LblEM1", kSummaryColour, true);
    LblEM2 = MakeLabel(GrpMonthly, "LblEM2", kSummaryColour, true);
    LblMonthlyPMTime = MakeLabel(GrpMonthly, "LblMonthlyPMTime", kSummaryColour, true);
    BitBtn4 = MakeButton(GrpMonthly, "BitBtn4", "Example");
    SpinEMDay = MakeSpin(GrpMonthly, "SpinEMDay", 1, 28, 1);
    SpinEMHr = MakeSpin(GrpMonthly, "SpinEMHr", 0, 23, 1);
    SpinEMMin = MakeSpin(GrpMonthly, "SpinEMMin", 0, 59, 0);

    auto* summary = new QHBoxLayout;
    summary->setSpacing(10);
    for (QWidget* w : {static_cast<QWidget*>(Label5), static_cast<QWidget*>(LblEM1),
                       static_cast<QWidget*>(LblEM2), static_cast<QWidget*>(LblMonthlyPMTime)})
        summary->addWidget(w);
    summary->addStretch(1);
    summary->addWidget(BitBtn4);

    auto* fields = FieldRow(GrpMonthly, "Day:", {SpinEMDay});
    fields->insertSpacing(fields->count() - 1, 24);
    auto* timeCaption = Caption(GrpMonthly, "Time:");
    timeCaption->setBuddy(SpinEMHr);
    fields->insertWidget(fields->count() - 1, timeCaption);
    fields->insertWidget(fields->count() - 1, SpinEMHr);
    fields->insertWidget(fields->count() - 1, SpinEMMin);

    auto* column = new QVBoxLayout(GrpMonthly);
    column->setContentsMargins(8, 4, 8, 6);
    column->setSpacing(4);
    column->addLayout(summary);
    column->addLayout(fields);
    NameTimeFields(SpinEMHr, SpinEMMin);
    GrpMonthly->setAccessibleName(QStringLiteral("Monthly"));
    NameExample(BitBtn4, "monthly", "Explains reminders on one day of every month.");

    connect(SpinEMDay, &TSpinField::Changed, this, &TFrmWhen::SpinEMDayChange);
    connect(SpinEMHr, &TSpinField::Changed, this, &TFrmWhen::SpinEMHrChange);
    connect(SpinEMMin, &TSpinField::Changed, this, &TFrmWhen::SpinEMMinChange);
    connect(BitBtn4, &QPushButton::clicked, this, &TFrmWhen::BitBtn4Click);
}

void TFrmWhen::BuildPage()
{
    LblIntro = Named(new QLabel(QString::fromLatin1(kWhenInstruction), this), "LblIntro");
    LblIntro->setWordWrap(true);
    BuildOptionGroup();

    Image3 = Named(new QLabel(this), "Image3");
    QPixmap band(kDefaultWidth, 4);
    {
        QPainter painter(&band);
        QLinearGradient gradient(0, 0, kDefaultWidth, 0);
        gradient.setColorAt(0, QColor(40, 70, 160));
        gradient.setColorAt(1, QColor::fromRgb(kPageColour));
        painter.fillRect(band.rect(), gradient);
    }
    Image3->setPixmap(band);
    Image3->setScaledContents(true);
    Image3->setFixedHeight(4);
    Image3->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);

    BuildDateGroup();
    BuildDaysGroup();
    BuildMonthlyGroup();

    BitBtn1 = MakeButton(this, "BitBtn1", "Go Back");
    CmdNext = MakeButton(this, "CmdNext", "Continue");
    connect(BitBtn1, &QPushButton::clicked, this, &TFrmWhen::BitBtn1Click);
    connect(CmdNext, &QPushButton::clicked, this, &TFrmWhen::CmdNextClick);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(CmdNext);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(10, 8, 10, 8);
    page->setSpacing(6);
    page->addWidget(LblIntro);
    page->addWidget(GrpOptions);
    page->addWidget(Image3);
    page->addWidget(GrpDate, 1);
    page->addWidget(GrpDays);
    page->addWidget(GrpMonthly);
    page->addLayout(buttons);
}

void TFrmWhen::SetTabOrder()
{
    // Weekday group, monthly group, Go Back, date group, Continue, option group.
    const QList<QWidget*> chain = {ChkMon,   ChkTue,     ChkWed,    ChkThu,    ChkFri,
                                   ChkSat,   ChkSun,     SpinDYHr,  SpinDYMin, BitBtn3,
                                   SpinEMHr, SpinEMMin,  SpinEMDay, BitBtn4,   BitBtn1,
                                   SpinSDHour, SpinSDMin, Calendar1, ChkRepeat, BitBtn2,
                                   CmdNext,  RadDate,    RadDays,   RadMonthly};
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}
