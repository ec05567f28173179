#include "frmmsg.h"

#include "folder.h"
#include "form1.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>

namespace {

const QString kSection = QStringLiteral("FrmMsg");

// The desktop's colour scheme picks text colours for its own backgrounds; on the fixed
// light ones here a dark scheme's near-white text would vanish, the reminder with it.
void FixColours(QWidget* widget, QPalette::ColorRole background, const QColor& colour,
                QPalette::ColorRole text)
{
    QPalette palette = widget->palette();
    palette.setColor(background, colour);
    palette.setColor(text, Qt::black);
    palette.setColor(QPalette::Disabled, text, QColor(90, 90, 90));
    widget->setPalette(palette);
}

// The designed faces are rarely installed on Linux; the next ones keep the look close.
QFont Face(const QStringList& families, int points)
{
    QFont font;
    font.setFamilies(families);
    font.setPointSize(points);
    return font;
}

} // namespace

TFrmMsg::TFrmMsg(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(kSection);
    setWindowTitle(QStringLiteral("Nelvora Reminder"));
    // The program lives in the tray: closing this window must not end it.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(Face({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                  QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")},
                 8));
    FixColours(this, QPalette::Window, QColor(215, 215, 215), QPalette::WindowText);
    setAutoFillBackground(true);
    FormCreate();
}

// The text box loads the font database and the button's icon every image plugin: most
// of what the program would otherwise hold all day for a window it may never show. They
// are made when the window is first needed.
void TFrmMsg::BuildControls()
{
    if (Memo1_)
        return;
    Memo1_ = new QPlainTextEdit(this);
    CmdExit_ = new QPushButton(QStringLiteral("Ok"), this);
    // The bell of the tray icon rather than the desktop's generic window.
    setWindowIcon(NelvoraIcon());

    Memo1_->setObjectName(QStringLiteral("Memo1"));
    Memo1_->setGeometry(5, 5, 457, 170);
    Memo1_->setFont(Face({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"),
                          QStringLiteral("Sans Serif")},
                         9));
    FixColours(Memo1_, QPalette::Base, QColor(245, 245, 245), QPalette::Text);
    Memo1_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Reminders pile up below each other until "Ok": the earlier ones stay reachable.
    Memo1_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Memo1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    CmdExit_->setObjectName(QStringLiteral("CmdExit"));
    CmdExit_->setGeometry(386, 181, 75, 23);
    CmdExit_->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    CmdExit_->setFont(Face({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                            QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")},
                           9));
    CmdExit_->setDefault(true);
    connect(CmdExit_, &QPushButton::clicked, this, &TFrmMsg::CmdExitClick);

    setTabOrder(CmdExit_, Memo1_);
    CmdExit_->setFocus();
}

QPlainTextEdit* TFrmMsg::Memo1()
{
    BuildControls();
    return Memo1_;
}

QPushButton* TFrmMsg::CmdExit()
{
    BuildControls();
    return CmdExit_;
}

void TFrmMsg::setVisible(bool visible)
{
    if (visible)
        BuildControls();
    QWidget::setVisible(visible);
}

void TFrmMsg::FormCreate()
{
    // The text box and the button stand where they were designed, whatever the size: the
    // window never gets too small to show them whole.
    setMinimumSize(kContentWidth, kContentHeight);
    resize(RestoredFormSize(kSection, {kDesignWidth, kDesignHeight}));
}

void TFrmMsg::ShowReminder(const QStringList& lines)
{
    BuildControls();
    QTextCursor cursor(Memo1_->document());
    cursor.movePosition(QTextCursor::End);
    const bool empty = Memo1_->document()->isEmpty();
    QString text = lines.join(QLatin1Char('\n'));
    if (!empty || leadingEmptyLine_)
        text.prepend(QLatin1Char('\n'));
    cursor.insertText(text);
    const int newestBlock = Memo1_->document()->blockCount() - lines.size();
    if (!isVisible()) {
        if (const QScreen* screen = this->screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    show();
    raise();
    activateWindow();
    ShowNewest(newestBlock);
}

void TFrmMsg::ShowNewest(int firstBlock)
{
    // To the end first, then back up just as far as the newest reminder's first line needs:
    // all of it is in view when it fits, its beginning when it does not.
    Memo1_->moveCursor(QTextCursor::End);
    Memo1_->ensureCursorVisible();
    const QTextBlock first = Memo1_->document()->findBlockByNumber(firstBlock);
    if (first.isValid()) {
        Memo1_->setTextCursor(QTextCursor(first));
        Memo1_->ensureCursorVisible();
    }
}

void TFrmMsg::CmdExitClick()
{
    BuildControls();
    Memo1_->clear();
    leadingEmptyLine_ = false;
    close();
}

void TFrmMsg::closeEvent(QCloseEvent* event)
{
    // Width and height of the window itself: restoring them never grows it by the frame.
    WriteFormSize(kSection, width(), height());
    event->accept();
}
