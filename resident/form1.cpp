#include "form1.h"

#include "autostart.h"
#include "executable_icon.h"
#include "folder.h"
#include "folders.h"
#include "messages.h"
#include "presence.h"
#include "scheduler.h"
#include "shell.h"
#include "unwritten.h"

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QIcon>
#include <QImageReader>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

#include <utility>

const char* const kTrayTip = "Nelvora and Reminder (Left-Click or Right-Click)";
const char* const kEditorMissingNotice =
    "The settings program is missing. Please reinstall the software and try again";
const char* const kDisableKeepStartQuestion =
    "You have chosen to disable Nelvora. Would you like this to start automatically for you "
    "the next time you reboot? (If you choose no, it will not automatically notify you of "
    "your reminders unless you start it yourself separately).";
const char* const kNothingToRemoveInformation =
    "This is not currently set to run at startup, there is nothing to remove.";
const char* const kRemovedFromStartupInformation =
    "Nelvora was successfully removed from startup. If you wish to activate it again, simply "
    "select it from your desktop or start menu. Note that none of your reminders will alert "
    "you now that this has been removed from startup.";
const char* const kNotRemovedInformation =
    "Not removed from startup. It cannot be accessed at this time. Reboot and try again.";
const char* const kDisableTrayQuestion =
    "You are about to remove Nelvora from your system tray, turning off any active "
    "reminders. You can manually start the program by clicking the icon on your desktop to "
    "reactivate it. Click Yes to disable, or click No to return.";

namespace {

constexpr int kTimer1Interval = 60000;
// Slow on purpose: it only runs while no notification area is there.
constexpr int kTrayPollInterval = 7000;

// The sizes trays ask for, drawn ahead as PNG: Qt reads them without any image plugin,
// where a scalable picture would load the SVG and image-format plugins into a program
// that stays resident all day.
constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64};

} // namespace

// Outside the anonymous namespace: the macro declares the resource's global init function.
static void InitResidentResources()
{
    // The resource lives in a static library; nothing else would pull it in.
    static const bool done = [] {
        Q_INIT_RESOURCE(resident);
        return true;
    }();
    (void)done;
}

QIcon NelvoraIcon(const QString& pictures)
{
    InitResidentResources();
    QIcon icon;
    for (const int size : kIconSizes) {
        // Named and not guessed: a reader left to guess asks every image plugin first.
        QImageReader reader(pictures.arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    if (!icon.isNull())
        return icon;
    QPixmap mark(22, 22);
    mark.fill(Qt::transparent);
    QPainter painter(&mark);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 110, 175));
    painter.drawEllipse(mark.rect().adjusted(1, 1, -1, -1));
    return QIcon(mark);
}

TForm1::TForm1(Form1Env env, QWidget* parent) : QWidget(parent), env_(std::move(env))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(kProgramTitle));
    FormCreate();
}

TForm1::~TForm1()
{
    // The scheduler refers to Timer1; let it go first.
    delete scheduler_;
    scheduler_ = nullptr;
    if (holdsPresence_)
        env_.presence.Release();
}

void TForm1::FormCreate()
{
    programFolder_ = env_.folders.ProgramFolder();

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(kTimer1Interval);
    // The first tick comes one interval after start; nothing is evaluated now.
    timer1_->start();

    if (!InitReminderFolder(env_.folders))
        env_.messages.Warning(QString::fromUtf8(kFolderCreateWarning));
    UseResidentGeometry(env_.folders);

    scheduler_ = new ResidentScheduler(*timer1_, env_.clock, env_.messages, env_.speech, env_.shell,
                                       UnwrittenTable::DefaultStateFile(env_.folders));
    // Piggybacks on the minute tick so a vanished tray host costs no extra wake-ups.
    connect(timer1_, &QTimer::timeout, this, &TForm1::ShowTrayIconWhenAvailable);

    holdsPresence_ = env_.presence.Hold();

    BuildMenus();
    // Windows: the icon Explorer shows for the program; elsewhere our own pictures.
    const QIcon ownIcon = ExecutableIcon();
    trayIcon_ = new QSystemTrayIcon(ownIcon.isNull() ? NelvoraIcon() : ownIcon, this);
    trayIcon_->setObjectName(QStringLiteral("TrayIcon"));
    trayIcon_->setToolTip(QString::fromLatin1(kTrayTip));
    // Panels of the StatusNotifierItem kind show the right-click menu themselves, from
    // the menu the icon exports; without one they show their own menu instead.
    trayIcon_->setContextMenu(popupMenu2_);
    connect(trayIcon_, &QSystemTrayIcon::activated, this, &TForm1::TrayIconMessage);

    trayPoll_ = new QTimer(this);
    trayPoll_->setInterval(kTrayPollInterval);
    connect(trayPoll_, &QTimer::timeout, this, &TForm1::ShowTrayIconWhenAvailable);
    ShowTrayIconWhenAvailable();
}

void TForm1::BuildMenus()
{
    popupMenu1_ = new QMenu(this);
    popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
    createorEditReminders1_ = popupMenu1_->addAction(QStringLiteral("Create or Edit Reminders"));
    createorEditReminders1_->setObjectName(QStringLiteral("CreateorEditReminders1"));
    connect(createorEditReminders1_, &QAction::triggered, this, &TForm1::StartEditor);

    popupMenu2_ = new QMenu(this);
    popupMenu2_->setObjectName(QStringLiteral("PopupMenu2"));
    createorEditReminders2_ = popupMenu2_->addAction(QStringLiteral("Create or Edit Reminders"));
    createorEditReminders2_->setObjectName(QStringLiteral("CreateorEditReminders2"));
    connect(createorEditReminders2_, &QAction::triggered, this, &TForm1::StartEditor);
    disableNelvora1_ = popupMenu2_->addAction(QStringLiteral("Disable Nelvora"));
    disableNelvora1_->setObjectName(QStringLiteral("DisableNelvora1"));
    connect(disableNelvora1_, &QAction::triggered, this, &TForm1::DisableNelvora1Click);
}

bool TForm1::WaitingForTray() const { return trayPoll_ && trayPoll_->isActive(); }

void TForm1::ShowTrayIconWhenAvailable()
{
    if (closed_)
        return;
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        trayWasAvailable_ = false;
        if (!trayPoll_->isActive())
            trayPoll_->start();
        return;
    }
    trayPoll_->stop();
    // A tray host that came back after going away gets the icon added afresh.
    if (!trayWasAvailable_ && trayIcon_->isVisible())
        trayIcon_->hide();
    trayWasAvailable_ = true;
    if (!trayIcon_->isVisible())
        trayIcon_->show();
}

void TForm1::TrayIconMessage(QSystemTrayIcon::ActivationReason reason)
{
    if (closed_)
        return;
    const QPoint at = QCursor::pos();
    // An XEmbed tray has already popped the context menu by the time this runs.
    if (reason == QSystemTrayIcon::Context && !popupMenu2_->isVisible())
        popupMenu2_->popup(at);
    else if (reason == QSystemTrayIcon::Trigger)
        popupMenu1_->popup(at);
}

void TForm1::StartEditor()
{
    const QString editor = programFolder_ + ExecutableName(QStringLiteral("orsivel"));
    if (env_.shell.FileExists(editor))
        env_.shell.StartDetached(editor, ShellShow::Normal); // a failed start is not reported
    else
        env_.messages.Notice(QString::fromLatin1(kEditorMissingNotice));
}

void TForm1::DisableNelvora1Click()
{
    const bool keepStart = env_.messages.Question(QString::fromLatin1(kDisableKeepStartQuestion));
    // A close (log-out, a signal) makes an open box return unanswered; that is no No.
    if (closed_)
        return;
    if (!keepStart) {
        switch (env_.autostart.State()) {
        case AutostartState::Unavailable:
            break;
        case AutostartState::Absent:
            env_.messages.Information(QString::fromLatin1(kNothingToRemoveInformation));
            break;
        case AutostartState::Present:
            env_.messages.Information(QString::fromLatin1(env_.autostart.Remove()
                                                              ? kRemovedFromStartupInformation
                                                              : kNotRemovedInformation));
            break;
        }
    }
    // The window may have been closed from a nested loop while a box was open.
    if (closed_)
        return;
    if (env_.messages.Question(QString::fromLatin1(kDisableTrayQuestion))) {
        trayIcon_->hide();
        close();
    }
}

void TForm1::CloseOnRequest()
{
    // Removed here, as the close does not: the icon must not linger after the program.
    trayIcon_->hide();
    close();
}

void TForm1::FormCloseQuery()
{
    timer1_->stop();
    // Boxes of a tick may still be open below this close; they return once the program
    // quits, and their tick must not go on from there.
    if (scheduler_)
        scheduler_->Stop();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    FormCloseQuery();
    event->accept();
    if (closed_)
        return;
    closed_ = true;
    trayPoll_->stop();
    Q_EMIT Closed();
}
