#include "frmfirst.h"

#include "autostart.h"
#include "folder.h"
#include "folders.h"
#include "frmabout.h"
#include "messages.h"
#include "presence.h"
#include "profile.h"
#include "reminder.h"
#include "shell.h"
#include "summary.h"
#include "windowparts.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <exception>
#include <utility>

const char* const kSupportAddress = "support@nelvora.example";
const char* const kDownloadsAddress = "https://www.nelvora.example/downloads";
const char* const kEmptyListText =
    "This list is currently empty. Use the \"Create\" button to add some reminders to "
    "your list.";

namespace {

const char* const kWindowName = "FrmFirst";
const char* const kResidentProgram = "Velmaro";
constexpr int kDesignWidth = 498;
constexpr int kDesignHeight = 451;

QLabel* MakeLabel(QWidget* parent, const char* name, bool bold, bool underline)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    QFont font = label->font();
    font.setBold(bold);
    font.setUnderline(underline);
    label->setFont(font);
    return label;
}

} // namespace

// The resources live in the editor library, which the linker would otherwise drop.
static void InitEditorResources() { Q_INIT_RESOURCE(editor); }

namespace {
// A plain top-level widget reads as a mere filler to a screen reader; the main window is
// the program's frame, named by its caption.
QAccessibleInterface* MainWindowAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("TFrmFirst") && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}
} // namespace

TFrmFirst::TFrmFirst(FrmFirstEnv env, QWidget* parent) : QWidget(parent), env_(std::move(env))
{
    static const bool accessibleInstalled = (QAccessible::installFactory(MainWindowAccessible), true);
    Q_UNUSED(accessibleInstalled);
    setObjectName(QString::fromLatin1(kWindowName));
    InitEditorResources();
    setWindowIcon(QIcon(QStringLiteral(":/nelvora-128.png")));
    BuildControls();
    KeepContentWhole(this);
    FormCreate();
    CentreOnScreen(this);
    // Keys reach the reminders first: arrows pick one, Tab goes on to the buttons.
    ListBox1->setFocus();
}

TFrmFirst::~TFrmFirst() = default;

void TFrmFirst::BuildControls()
{
    Label9 = new QLabel(
        QStringLiteral("This allows you to set reminders, so you will never forget approaching "
                       "events, meetings, tasks, special holidays, and more. Click the "
                       "\"Create\" button below to begin."),
        this);
    Label9->setObjectName(QStringLiteral("Label9"));
    Label9->setWordWrap(true);

    Panel4 = new QFrame(this);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    Label7 = new QLabel(QStringLiteral("Reminders:"), Panel4);
    Label7->setObjectName(QStringLiteral("Label7"));
    ListBox1 = new QListWidget(Panel4);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    // A list view takes its accessible name from itself only, not from its label.
    Label7->setBuddy(ListBox1);
    ListBox1->setAccessibleName(Label7->text());
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    // Every entry is one line in one font. Without this the list measures and shapes the
    // text of every name before it first shows: with 2,000 reminders the largest part of
    // the editor's start.
    ListBox1->setUniformItemSizes(true);
    CmdAdd = MakeButton(Panel4, "CmdAdd", "Create Reminder", "Add a new reminder or alert");
    CmdModify = MakeButton(Panel4, "CmdModify", "Modify Reminder", nullptr);
    CmdDel = MakeButton(Panel4, "CmdDel", "Delete Reminder",
                        "Delete the highlighted reminder or alert above");

    Label1 = MakeLabel(Panel4, "Label1", true, false);
    Label5 = MakeLabel(Panel4, "Label5", true, true);
    Label4 = MakeLabel(Panel4, "Label4", false, false);
    Label3 = MakeLabel(Panel4, "Label3", false, false);
    Label2 = MakeLabel(Panel4, "Label2", false, false);
    Label8 = MakeLabel(Panel4, "Label8", true, true);
    Label6 = MakeLabel(Panel4, "Label6", false, false);
    Label6->setWordWrap(true);
    Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label6->setMinimumHeight(Label6->fontMetrics().lineSpacing() * 8);
    Label6->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    // A long name or message must not widen the window: the labels cut or wrap instead.
    for (QLabel* label : {Label1, Label4, Label3, Label2, Label6})
        label->setMinimumWidth(1);
    Label1->setWordWrap(true);

    CmdHelp = MakeButton(Panel4, "CmdHelp", "Help", "Help FAQ");
    BitBtn8 = MakeButton(Panel4, "BitBtn8", "Contact Support", "Click here to email support");
    BitBtn9 = MakeButton(Panel4, "BitBtn9", "More Downloads",
                         "Click here to download more free trial software");
    BitBtn5 = MakeButton(Panel4, "BitBtn5", "About", "About the software");
    CmdExit = MakeButton(Panel4, "CmdExit", "Exit", "Exit the software");

    // Both button blocks share one spacing so their rows line up.
    constexpr int kButtonSpacing = 6;
    auto* left = new QVBoxLayout;
    left->setSpacing(kButtonSpacing);
    left->addWidget(Label7);
    left->addWidget(ListBox1, 1);
    left->addWidget(CmdAdd);
    left->addWidget(CmdModify);
    left->addWidget(CmdDel);

    auto* right = new QVBoxLayout;
    right->setSpacing(4);
    for (QLabel* label : {Label1, Label5, Label4, Label3, Label2, Label8})
        right->addWidget(label);
    right->addWidget(Label6, 1);
    auto* buttons = new QGridLayout;
    buttons->setSpacing(kButtonSpacing);
    buttons->addWidget(CmdHelp, 0, 0);
    buttons->addWidget(BitBtn8, 0, 1);
    buttons->addWidget(BitBtn9, 1, 0);
    buttons->addWidget(BitBtn5, 1, 1);
    buttons->addWidget(CmdExit, 2, 0, 1, 2);
    right->addLayout(buttons);

    auto* panel = new QHBoxLayout(Panel4);
    panel->addLayout(left, 1);
    panel->addSpacing(6);
    panel->addLayout(right, 1);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(Label9);
    outer->addWidget(Panel4, 1);

    connect(ListBox1, &QListWidget::currentRowChanged, this, &TFrmFirst::ListBox1Click);
    connect(ListBox1, &QListWidget::itemClicked, this, &TFrmFirst::ListBox1Click);
    connect(CmdAdd, &QPushButton::clicked, this, &TFrmFirst::CmdAddClick);
    connect(CmdModify, &QPushButton::clicked, this, &TFrmFirst::CmdModifyClick);
    connect(CmdDel, &QPushButton::clicked, this, &TFrmFirst::CmdDelClick);
    connect(CmdHelp, &QPushButton::clicked, this, &TFrmFirst::CmdHelpClick);
    connect(BitBtn8, &QPushButton::clicked, this, &TFrmFirst::BitBtn8Click);
    connect(BitBtn9, &QPushButton::clicked, this, &TFrmFirst::BitBtn9Click);
    connect(BitBtn5, &QPushButton::clicked, this, &TFrmFirst::BitBtn5Click);
    connect(CmdExit, &QPushButton::clicked, this, &TFrmFirst::CmdExitClick);
}

void TFrmFirst::Guarded(const std::function<void()>& body)
{
    try {
        body();
    } catch (const StoreError& e) {
        env_.messages.RaisedError(e.text());
    } catch (const std::exception& e) {
        env_.messages.RaisedError(QString::fromLocal8Bit(e.what()));
    }
}

void TFrmFirst::FormCreate()
{
    if (!InitReminderFolder(env_.folders))
        env_.messages.Warning(QString::fromUtf8(kFolderCreateWarning));
    // The geometry file lies in the reminder folder, so only now can it be read.
    SetGeometryFile(EditorGeometryFile());
    resize(RestoredFormSize(QString::fromLatin1(kWindowName), {kDesignWidth, kDesignHeight}));
    setWindowTitle(QStringLiteral("Nelvora and Reminder"));
    ClearSummary();

    {
        // One summary for the first entry, not one per entry added.
        const QSignalBlocker block(ListBox1);
        for (const ListedReminder& entry : ListReminders())
            AddEntry(entry.name, entry.path);
        SelectFirst();
    }
    ListBox1Click();

    ProgramFolder = env_.folders.ProgramFolder();
    const QString resident = ProgramFolder + ExecutableName(QLatin1String(kResidentProgram));
    if (!env_.shell.FileExists(resident)) {
        env_.messages.Notice(QStringLiteral("Part of the software is missing from the folder. "
                                            "Please re-install the software to continue."));
        return;
    }
    env_.autostart.SetRunAtStartup(resident);
    const ResidentPresence presence =
        env_.residentPresence ? env_.residentPresence() : ResidentPresence::NotRunning;
    if (presence == ResidentPresence::Running)
        return;
    // A scheduler that cannot be seen may well be running: one started at every start of
    // the editor would fire every reminder once per copy. The user is told instead.
    if (presence == ResidentPresence::Unknown ||
        env_.shell.StartDetached(resident, ShellShow::Hidden) != ShellResult::Done) {
        env_.messages.Notice(
            QStringLiteral("Nelvora could not be set active. Please reinstall the software, or "
                           "contact support at ") +
            QLatin1String(kSupportAddress) + QStringLiteral(" if the problem continues."));
    }
}

QString TFrmFirst::SelectedName() const
{
    const QListWidgetItem* item = ListBox1->currentItem();
    return item ? item->text() : QString();
}

QString TFrmFirst::SelectedPath() const
{
    const QListWidgetItem* item = ListBox1->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

void TFrmFirst::AddEntry(const QString& name, const QString& path)
{
    // The entry keeps its file: two files can show the same name.
    auto* item = new QListWidgetItem(name);
    item->setData(Qt::UserRole, path);
    ListBox1->addItem(item);
}

void TFrmFirst::SetPages(TFrmWhen* when, TFrmWhatType* whatType)
{
    FrmWhen = when;
    FrmWhatType = whatType;
}

void TFrmFirst::SetPageMaker(std::function<void()> make)
{
    makePages_ = std::move(make);
}

bool TFrmFirst::HavePages()
{
    if (makePages_ && !FrmWhen)
        std::exchange(makePages_, nullptr)();
    return FrmWhen && FrmWhatType;
}

void TFrmFirst::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    // The calendar of the schedule page alone costs about as much as everything that is
    // painted here: the pages are made once the list is on the screen.
    if (makePages_)
        QTimer::singleShot(0, this, [this] { HavePages(); });
}

void TFrmFirst::ClearSummary()
{
    for (QLabel* label : {Label8, Label6, Label5, Label4, Label3, Label2, Label1})
        label->clear();
}

void TFrmFirst::SelectFirst()
{
    ListBox1->setCurrentRow(ListBox1->count() > 0 ? 0 : -1);
}

void TFrmFirst::ShowReminderSummary(const QString& path)
{
    for (QLabel* label : {Label8, Label6, Label5, Label4, Label3, Label2})
        label->clear();
    Label1->setText(SelectedName());
    const ReminderSummaryTexts texts = ReminderSummary(ReadReminderSummary(path));
    Label5->setText(texts.Label5);
    Label4->setText(texts.Label4);
    Label3->setText(texts.Label3);
    Label2->setText(texts.Label2);
    Label8->setText(texts.Label8);
    Label6->setText(texts.Label6);
}

void TFrmFirst::ListBox1Click()
{
    if (ListBox1->count() == 0 || !ListBox1->currentItem())
        return;
    Guarded([this] { ShowReminderSummary(SelectedPath()); });
}

void TFrmFirst::CmdDelClick()
{
    if (ListBox1->count() == 0) {
        env_.messages.Notice(QString::fromLatin1(kEmptyListText));
        return;
    }
    const int row = ListBox1->currentRow();
    if (row < 0)
        return;
    CurrentReminderName = ListBox1->item(row)->text();
    const QString path = ListBox1->item(row)->data(Qt::UserRole).toString();
    if (!env_.messages.Question(QStringLiteral("You are about to delete the reminder named ") +
                                CurrentReminderName +
                                QStringLiteral(". Click yes to confirm the delete.")))
        return;

    if (!DeleteReminderFile(path)) {
        env_.messages.Notice(
            QStringLiteral("This alert or reminder could not be deleted. Reboot and try "
                           "again later in case the file is currently in use."));
        return;
    }
    {
        const QSignalBlocker block(ListBox1);
        delete ListBox1->takeItem(row);
        SelectFirst();
    }
    // The summary follows the selection rather than showing the deleted reminder.
    if (ListBox1->count() > 0)
        ListBox1Click();
    else
        ClearSummary();
}

void TFrmFirst::CmdExitClick()
{
    if (ListBox1->count() == 0) {
        env_.messages.Notice(QStringLiteral(
            "You exited the software without entering any reminders. Simply click the "
            "\"Create\" button next time to add a new reminder to your list. You can then "
            "choose how you want the reminder to be displayed, when you want this to occur, "
            "what time, etc.  Your created reminders will then display in your list."));
    }
    close();
}

void TFrmFirst::FormCloseQuery()
{
    WriteFormSize(QString::fromLatin1(kWindowName), width(), height());
}

void TFrmFirst::closeEvent(QCloseEvent* event)
{
    FormCloseQuery();
    event->accept();
}

void TFrmFirst::CmdHelpClick()
{
    const QString page = ProgramFolder + QStringLiteral("index.html");
    // Any other failure goes unreported.
    if (env_.shell.OpenUrl(QUrl::fromLocalFile(page), ShellShow::Maximized) == ShellResult::FileNotFound) {
        env_.messages.Error(QStringLiteral(
            "We could not automatically open the help file for you, but you can view it "
            "manually by going to your installation folder and double-clicking index.html to "
            "view the help file."));
    }
}

void TFrmFirst::BitBtn9Click()
{
    const QString page = ProgramFolder + QStringLiteral("download.html");
    if (env_.shell.OpenUrl(QUrl::fromLocalFile(page), ShellShow::Maximized) != ShellResult::Done) {
        env_.messages.Notice(
            QStringLiteral("You cannot view this file because you do not have a default web "
                           "browser setup, however, you can still go to the free trial "
                           "downloads site online at ") +
            QLatin1String(kDownloadsAddress));
    }
}

void TFrmFirst::BitBtn8Click()
{
    const QUrl address(QStringLiteral("mailto:") + QLatin1String(kSupportAddress) +
                       QStringLiteral("?Subject=Trial Question - Nelvora and Reminder"));
    if (env_.shell.OpenUrl(address, ShellShow::Normal) != ShellResult::Done) {
        env_.messages.Notice(
            QStringLiteral("You cannot view this file because you do not have a default email "
                           "software setup. Simply email your question to support at ") +
            QLatin1String(kSupportAddress));
    }
}

void TFrmFirst::BitBtn5Click()
{
    TFrmabout about(this);
    about.exec();
}
