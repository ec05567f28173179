#include "frmwhattype.h"

#include "actionchecks.h"
#include "folder.h"
#include "messageprompt.h"
#include "messages.h"
#include "reminder.h"
#include "windowparts.h"

#include <QApplication>
#include <QHelpEvent>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTextLayout>
#include <QToolTip>
#include <QVBoxLayout>

#include <cmath>

const char* const kAudioFileFilter =
    "All (*.mp3 *.mid *.wav *.wma);;MP3 (*.mp3);;WAV (*.wav);;MIDI (*.mid);;WMA (*.wma)";
// Every file, with or without an extension.
const char* const kOpenFileFilter = "All (*)";

namespace {

constexpr const char* kWindowName = "FrmWhatType";
constexpr int kDefaultWidth = 414;
constexpr int kDefaultHeight = 466;
constexpr int kIndent = 20;

QCheckBox* MakeBox(QWidget* parent, const char* name, const char* caption)
{
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

// Paths and typed messages often hold words longer than the page is wide: they wrap
// inside the word rather than being cut off at the edge. At most three lines show, so a
// long text cannot push the buttons off the page; the whole text is in the tooltip. The
// text itself stays as set.
class WrappingLabel : public QLabel {
public:
    using QLabel::QLabel;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override
    {
        const QMargins m = contentsMargins();
        return Lay(width - m.left() - m.right(), nullptr) + m.top() + m.bottom();
    }
    // The layout asks heightForWidth at the real width; these only start it off.
    QSize sizeHint() const override { return {0, heightForWidth(std::max(width(), 200))}; }
    QSize minimumSizeHint() const override { return {0, fontMetrics().height()}; }

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::ToolTip) {
            if (Clipped(contentsRect().width()))
                QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), text(), this);
            else
                QToolTip::hideText();
            return true;
        }
        return QLabel::event(e);
    }
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setPen(palette().color(foregroundRole()));
        Lay(contentsRect().width(), &painter);
    }

private:
    static constexpr int kMaxLines = 3;

    bool Clipped(int width) const
    {
        bool clipped = false;
        Lay(width, nullptr, &clipped);
        return clipped;
    }

    // Lays the text out in `width`, draws it when a painter is given, and returns its
    // height. The last shown line ends in an ellipsis when more would follow.
    int Lay(int width, QPainter* painter, bool* clipped = nullptr) const
    {
        if (text().isEmpty())
            return fontMetrics().height();
        width = std::max(width, 1);
        QTextLayout layout(text(), font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        qreal y = 0;
        int lines = 0;
        bool more = false;
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            if (lines == kMaxLines) {
                more = true;
                break;
            }
            line.setLineWidth(width);
            line.setPosition(QPointF(0, y));
            y += line.height();
            ++lines;
        }
        layout.endLayout();
        if (clipped)
            *clipped = more;
        if (painter) {
            const QPointF origin = contentsRect().topLeft();
            for (int i = 0; i < lines; ++i) {
                const QTextLine line = layout.lineAt(i);
                if (i + 1 < lines || !more) {
                    line.draw(painter, origin);
                    continue;
                }
                const QString rest = text().mid(line.textStart());
                const QString shown = fontMetrics().elidedText(rest, Qt::ElideRight, width);
                painter->drawText(QPointF(origin.x(), origin.y() + line.y() + line.ascent()), shown);
            }
        }
        return static_cast<int>(std::ceil(y));
    }
};

QLabel* MakeValueLabel(QWidget* parent, const char* name)
{
    auto* label = new WrappingLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    // The text is the value itself: never read it as markup.
    label->setTextFormat(Qt::PlainText);
    // A long path must not widen the window; it wraps instead.
    QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    label->setSizePolicy(policy);
    return label;
}

// A button and its value label, indented under their box.
QLayout* Indented(QPushButton* button, QLabel* label)
{
    auto* column = new QVBoxLayout;
    column->setSpacing(1);
    column->addWidget(button, 0, Qt::AlignLeft);
    column->addWidget(label);
    auto* row = new QHBoxLayout;
    row->addSpacing(kIndent);
    row->addLayout(column, 1);
    return row;
}

} // namespace

QtFileChooser::QtFileChooser() = default;
QtFileChooser::~QtFileChooser() = default;

QString QtFileChooser::ChooseFile(const QString& title, const QString& filter)
{
    std::unique_ptr<QFileDialog>& dialog = dialogs_[title];
    if (!dialog) {
        dialog = std::make_unique<QFileDialog>(nullptr, title);
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
    }
    const QStringList filters = filter.split(QStringLiteral(";;"));
    dialog->setNameFilters(filters);
    dialog->selectNameFilter(filters.value(0));
    if (QWidget* over = QApplication::activeWindow())
        CentreIn(dialog.get(), over->frameGeometry());
    if (dialog->exec() != QDialog::Accepted)
        return {};
    return dialog->selectedFiles().value(0);
}

TFrmWhatType::TFrmWhatType(IMessages& messages, IFileChooser& chooser, ITextPrompt& prompt,
                           QWidget* parent)
    : QDialog(parent), messages_(messages), chooser_(chooser), prompt_(prompt)
{
    setObjectName(QString::fromLatin1(kWindowName));
    setWindowTitle(QStringLiteral("What \"type\" of reminder do you want to see?"));
    FixBackground(this, QColor(230, 228, 227));

    Label1 = new QLabel(
        QStringLiteral("Finally, choose one or more reminders to occur. (For example, you may "
                       "want to display a message, have the computer speak the message out loud "
                       "for you, start playing a video or MP3 file, or open a document "
                       "automatically). Click any of the boxes."),
        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setWordWrap(true);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    ChkSayTime = MakeBox(GroupBox1, "ChkSayTime", "Say the time out loud");
    ChkSayDay = MakeBox(GroupBox1, "ChkSayDay", "Say the day of the week out loud");
    CHkPlayMP3 = MakeBox(GroupBox1, "CHkPlayMP3", "Play any MP3 or audio file");
    BitBtn6 = MakeButton(GroupBox1, "BitBtn6", "Select Any Sound File",
                         "When checkbox checked, click here to select an MP3 or sound file to "
                         "play");
    LblMP3 = MakeValueLabel(GroupBox1, "LblMP3");
    ChkDisplay = MakeBox(GroupBox1, "ChkDisplay", "Display the message on the screen");
    ChkSayMsg = MakeBox(GroupBox1, "ChkSayMsg", "Say the message out loud");
    BitBtn5 = MakeButton(GroupBox1, "BitBtn5", "Type Your Own Message",
                         "Click to enter a message reminder for display");
    LblMsg = MakeValueLabel(GroupBox1, "LblMsg");
    ChkOpen = MakeBox(GroupBox1, "ChkOpen", "Open any video, program, document, or file");
    CmdSelectOpen = MakeButton(GroupBox1, "CmdSelectOpen", "Run Any Video or Program");
    LblOpen = MakeValueLabel(GroupBox1, "LblOpen");

    auto* group = new QVBoxLayout(GroupBox1);
    group->setContentsMargins(9, 4, 9, 4);
    group->setSpacing(2);
    group->addWidget(ChkSayTime);
    group->addWidget(ChkSayDay);
    group->addWidget(CHkPlayMP3);
    group->addLayout(Indented(BitBtn6, LblMP3));
    group->addWidget(ChkDisplay);
    group->addWidget(ChkSayMsg);
    group->addLayout(Indented(BitBtn5, LblMsg));
    group->addWidget(ChkOpen);
    group->addLayout(Indented(CmdSelectOpen, LblOpen));
    group->addStretch();

    BitBtn2 = MakeButton(this, "BitBtn2", "Go Back");
    CmdDone = MakeButton(this, "CmdDone", "Done");
    // Enter runs the checks of Done rather than whichever button comes first.
    CmdDone->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn2);
    buttons->addWidget(CmdDone);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(GroupBox1, 1);
    layout->addLayout(buttons);

    const QList<QWidget*> order = {ChkSayTime, ChkSayDay, CHkPlayMP3, ChkDisplay,
                                   ChkOpen,    BitBtn5,   BitBtn6,    ChkSayMsg,
                                   CmdSelectOpen, CmdDone, BitBtn2};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(BitBtn6, &QPushButton::clicked, this, &TFrmWhatType::BitBtn6Click);
    connect(BitBtn5, &QPushButton::clicked, this, &TFrmWhatType::BitBtn5Click);
    connect(CmdSelectOpen, &QPushButton::clicked, this, &TFrmWhatType::CmdSelectOpenClick);
    connect(CHkPlayMP3, &QCheckBox::toggled, this, &TFrmWhatType::CHkPlayMP3Click);
    connect(ChkOpen, &QCheckBox::toggled, this, &TFrmWhatType::ChkOpenClick);
    connect(CmdDone, &QPushButton::clicked, this, &TFrmWhatType::CmdDoneClick);
    connect(BitBtn2, &QPushButton::clicked, this, &TFrmWhatType::BitBtn1Click);

    KeepContentWhole(this);
    resize(RestoredFormSize(QString::fromLatin1(kWindowName), {kDefaultWidth, kDefaultHeight}));
}

void TFrmWhatType::ApplyReminder(const TReminder& r)
{
    ChkSayTime->setChecked(r.SayTime);
    ChkSayDay->setChecked(r.SayDay);
    CHkPlayMP3->setChecked(r.PlayMP3);
    ChkDisplay->setChecked(r.Display);
    ChkSayMsg->setChecked(r.SayMsg);
    ChkOpen->setChecked(r.Open);
    LblMsg->setText(r.Msg);
    LblOpen->setText(r.OpenFile);
    LblMP3->setText(r.MP3File);
}

void TFrmWhatType::FillReminder(TReminder& r) const
{
    r.SayTime = ChkSayTime->isChecked();
    r.SayDay = ChkSayDay->isChecked();
    r.PlayMP3 = CHkPlayMP3->isChecked();
    r.Display = ChkDisplay->isChecked();
    r.SayMsg = ChkSayMsg->isChecked();
    r.Open = ChkOpen->isChecked();
    r.Msg = LblMsg->text();
    r.OpenFile = LblOpen->text();
    r.MP3File = LblMP3->text();
}

bool TFrmWhatType::Acceptable(const QString& text, const char* refusal)
{
    if (!HoldsLineBreak(text))
        return true;
    messages_.Notice(QString::fromLatin1(refusal));
    return false;
}

void TFrmWhatType::BitBtn6Click()
{
    const QString path = chooser_.ChooseFile(QStringLiteral("Select Any Sound File"),
                                             QString::fromLatin1(kAudioFileFilter));
    if (path.isEmpty() || !Acceptable(path, kPathLineBreakText))
        return;
    LblMP3->setText(path);
    CHkPlayMP3->setChecked(true);
}

void TFrmWhatType::BitBtn5Click()
{
    const QString text = prompt_.AskMessage(this);
    if (!Acceptable(text, kMessageLineBreakText))
        return;
    LblMsg->setText(text);
}

void TFrmWhatType::CmdSelectOpenClick()
{
    const QString path = chooser_.ChooseFile(QStringLiteral("Run Any Video or Program"),
                                             QString::fromLatin1(kOpenFileFilter));
    if (path.isEmpty() || !Acceptable(path, kPathLineBreakText))
        return;
    LblOpen->setText(path);
    ChkOpen->setChecked(true);
}

void TFrmWhatType::CHkPlayMP3Click()
{
    if (!CHkPlayMP3->isChecked())
        LblMP3->clear();
}

void TFrmWhatType::ChkOpenClick()
{
    if (!ChkOpen->isChecked())
        LblOpen->clear();
}

void TFrmWhatType::CmdDoneClick()
{
    TReminder r;
    FillReminder(r);
    if (const std::optional<QString> refusal = DoneRefusal(r)) {
        messages_.Notice(*refusal);
        return;
    }
    BackChosen = false;
    accept();
}

void TFrmWhatType::BitBtn1Click()
{
    BackChosen = true;
    reject();
}

void TFrmWhatType::done(int result)
{
    WriteFormSize(QString::fromLatin1(kWindowName), width(), height());
    QDialog::done(result);
}

void TFrmWhatType::keyPressEvent(QKeyEvent* event)
{
    // Closing the page saves the reminder unchecked; a stray Escape must not do that.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFrmWhatType::showEvent(QShowEvent* event)
{
    // The page is reused: without this the focus would stay where the last edit left it.
    if (!event->spontaneous())
        ChkSayTime->setFocus(Qt::OtherFocusReason);
    QDialog::showEvent(event);
    CentreOnScreen(this);
}
