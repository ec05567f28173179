// The hidden main window with fakes: start-up, the two menus, the editor start and
// every road through the disable flow.

#include "fakes.h"
#include "folder.h"
#include "folders.h"
#include "form1.h"
#include "linux/presence_socket.h"
#include "linux/xdg_autostart.h"
#include "messages.h"
#include "modal.h"
#include "scheduler.h"
#include "tempenv.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <unistd.h>
#include <vector>

namespace {

const QString kQuestion1 = QStringLiteral(
    "You have chosen to disable Nelvora. Would you like this to start automatically for you "
    "the next time you reboot? (If you choose no, it will not automatically notify you of "
    "your reminders unless you start it yourself separately).");
const QString kQuestion2 = QStringLiteral(
    "You are about to remove Nelvora from your system tray, turning off any active "
    "reminders. You can manually start the program by clicking the icon on your desktop to "
    "reactivate it. Click Yes to disable, or click No to return.");
const QString kRemoved = QStringLiteral(
    "Nelvora was successfully removed from startup. If you wish to activate it again, simply "
    "select it from your desktop or start menu. Note that none of your reminders will alert "
    "you now that this has been removed from startup.");
const QString kNothing =
    QStringLiteral("This is not currently set to run at startup, there is nothing to remove.");
const QString kNotRemoved = QStringLiteral(
    "Not removed from startup. It cannot be accessed at this time. Reboot and try again.");
const QString kMissing = QStringLiteral(
    "The settings program is missing. Please reinstall the software and try again");

ShownMessage Q(const QString& text) { return {QStringLiteral("question"), text}; }
ShownMessage Info(const QString& text) { return {QStringLiteral("information"), text}; }

class Form1Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(programDir.isValid());
        presenceName = QStringLiteral("Nelvora-form1-test-%1-%2").arg(getpid()).arg(++serial);
    }
    void TearDown() override
    {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    }

    std::unique_ptr<TForm1> Make(IMessages& m)
    {
        xdg.Folders().programFolder = ProgramFolder();
        presences.push_back(MakeDesktopPresence(presenceName));
        return std::make_unique<TForm1>(
            Form1Env{clock, m, shell, speech, xdg.Folders(), autostart, *presences.back()});
    }
    std::unique_ptr<TForm1> Make() { return Make(messages); }
    QString ProgramFolder() const { return programDir.path() + QLatin1Char('/'); }
    void PutEditor() { WriteAll(ProgramFolder() + QStringLiteral("orsivel"), "#!/bin/sh\n"); }

    // The items a popped menu shows, top to bottom.
    static QStringList PoppedItems(QMenu* expected)
    {
        QStringList items;
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (popup != expected)
            return {QStringLiteral("<other or no menu>")};
        for (QAction* a : popup->actions())
            if (a->isVisible())
                items << a->objectName() + QLatin1Char('=') + a->text();
        return items;
    }

    static inline int serial = 0;
    TempXdg xdg;
    QTemporaryDir programDir;
    QString presenceName;
    FakeClock clock{QDateTime(QDate(2026, 6, 10), QTime(9, 58))};
    FakeMessages messages;
    FakeShell shell;
    FakeSpeech speech;
    // The real entry, in the temporary config folder.
    XdgAutostart autostart;
    // The real mark under a name of the test's own; one per window, as per program.
    std::vector<std::unique_ptr<IPresence>> presences;
};

} // namespace

TEST_F(Form1Test, StartUpState)
{
    auto form = Make();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Nelvora"));
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->ProgramFolder(), ProgramFolder());
    ASSERT_NE(form->Timer1(), nullptr);
    EXPECT_EQ(form->Timer1()->objectName(), QStringLiteral("Timer1"));
    EXPECT_EQ(form->Timer1()->interval(), 60000);
    EXPECT_TRUE(form->Timer1()->isActive());
    EXPECT_NE(form->Scheduler(), nullptr);
    EXPECT_TRUE(QDir(xdg.Folder()).exists());
    EXPECT_EQ(ReminderFolder(), xdg.Folder());
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(form->TrayIcon()->toolTip(),
              QStringLiteral("Nelvora and Reminder (Left-Click or Right-Click)"));
    EXPECT_FALSE(form->TrayIcon()->icon().isNull());
    EXPECT_TRUE(form->HoldsPresence());
    EXPECT_TRUE(IsResidentRunning(presenceName));
    form.reset();
    EXPECT_FALSE(IsResidentRunning(presenceName));
}

TEST_F(Form1Test, ProgramFolderDefaultsToTheExecutablesFolder)
{
    const std::unique_ptr<ISpecialFolders> desktop = MakeDesktopFolders();
    EXPECT_EQ(desktop->ProgramFolder(), QCoreApplication::applicationDirPath() + QLatin1Char('/'));
    EXPECT_EQ(Make()->ProgramFolder(), ProgramFolder());
}

TEST_F(Form1Test, SecondCopyRunsWithoutTheMarker)
{
    auto first = Make();
    FakeMessages otherMessages;
    auto second = Make(otherMessages);
    EXPECT_TRUE(first->HoldsPresence());
    EXPECT_FALSE(second->HoldsPresence());
    EXPECT_TRUE(second->Timer1()->isActive());
    EXPECT_TRUE(otherMessages.shown.isEmpty());
}

TEST_F(Form1Test, ReminderFolderThatCannotBeMadeIsWarnedAndTheTimerStillRuns)
{
    ASSERT_TRUE(QDir(xdg.DataHome()).removeRecursively());
    WriteAll(xdg.DataHome(), "a file where the data folder should be");
    auto form = Make();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].kind, QStringLiteral("warning"));
    EXPECT_EQ(messages.shown[0].text,
              "Could not create a folder as you do not have authority on your system. Please right "
              "click this software icon on your desktop, and choose the option to \"Run as Admin\" "
              "(only needs to be done one time), as you currently do not have authority to create a "
              "new folder.");
    EXPECT_TRUE(form->Timer1()->isActive());
}

TEST_F(Form1Test, WithoutANotificationAreaItKeepsLookingSlowly)
{
    if (QSystemTrayIcon::isSystemTrayAvailable())
        GTEST_SKIP() << "this display has a notification area";
    auto form = Make();
    EXPECT_FALSE(form->TrayIcon()->isVisible());
    EXPECT_TRUE(form->WaitingForTray());
    // Looking again (the minute tick does) does not stop the wait.
    form->ShowTrayIconWhenAvailable();
    EXPECT_TRUE(form->WaitingForTray());
    form->close();
    EXPECT_FALSE(form->WaitingForTray());
}

TEST_F(Form1Test, LeftClickShowsOnlyTheEditorItem)
{
    auto form = Make();
    form->TrayIconMessage(QSystemTrayIcon::Trigger);
    EXPECT_EQ(PoppedItems(form->PopupMenu1()),
              QStringList{QStringLiteral("CreateorEditReminders1=Create or Edit Reminders")});
}

TEST_F(Form1Test, RightClickShowsBothItems)
{
    auto form = Make();
    form->TrayIconMessage(QSystemTrayIcon::Context);
    EXPECT_EQ(PoppedItems(form->PopupMenu2()),
              (QStringList{QStringLiteral("CreateorEditReminders2=Create or Edit Reminders"),
                           QStringLiteral("DisableNelvora1=Disable Nelvora")}));
}

TEST_F(Form1Test, OtherMouseEventsPopNothing)
{
    auto form = Make();
    form->TrayIconMessage(QSystemTrayIcon::DoubleClick);
    form->TrayIconMessage(QSystemTrayIcon::MiddleClick);
    form->TrayIconMessage(QSystemTrayIcon::Unknown);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(Form1Test, BothEditorItemsStartTheEditorEachTime)
{
    PutEditor();
    auto form = Make();
    form->findChild<QAction*>(QStringLiteral("CreateorEditReminders1"))->trigger();
    form->findChild<QAction*>(QStringLiteral("CreateorEditReminders2"))->trigger();
    shell.startResult = false; // a failed start is not reported
    form->findChild<QAction*>(QStringLiteral("CreateorEditReminders1"))->trigger();
    const QString start = QStringLiteral("start:") + ProgramFolder() + QStringLiteral("orsivel");
    EXPECT_EQ(shell.calls, (QStringList{start, start, start}));
    EXPECT_EQ(shell.shows, QList<ShellShow>(3, ShellShow::Normal));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(Form1Test, MissingEditorIsToldAtEachUse)
{
    auto form = Make();
    form->findChild<QAction*>(QStringLiteral("CreateorEditReminders1"))->trigger();
    form->findChild<QAction*>(QStringLiteral("CreateorEditReminders2"))->trigger();
    EXPECT_TRUE(shell.calls.isEmpty());
    const ShownMessage notice{QStringLiteral("notice"), kMissing};
    EXPECT_EQ(messages.shown, (QList<ShownMessage>{notice, notice}));
    // A folder by the editor's name is not the editor either.
    ASSERT_TRUE(QDir().mkpath(ProgramFolder() + QStringLiteral("orsivel")));
    form->StartEditor();
    EXPECT_TRUE(shell.calls.isEmpty());
    EXPECT_EQ(messages.shown.size(), 3);
}

TEST_F(Form1Test, DisableYesThenNoLeavesEverythingAsItWas)
{
    ASSERT_TRUE(autostart.SetRunAtStartup(QStringLiteral("/usr/bin/Velmaro")));
    const QByteArray before = ReadAll(autostart.EntryPath());
    auto form = Make();
    QSignalSpy closed(form.get(), &TForm1::Closed);
    messages.answers = {true, false};
    form->findChild<QAction*>(QStringLiteral("DisableNelvora1"))->trigger();
    EXPECT_EQ(messages.shown, (QList<ShownMessage>{Q(kQuestion1), Q(kQuestion2)}));
    EXPECT_EQ(ReadAll(autostart.EntryPath()), before);
    EXPECT_TRUE(form->Timer1()->isActive());
    EXPECT_EQ(closed.count(), 0);
}

TEST_F(Form1Test, DisableNoThenNoRemovesTheEntryAndKeepsRunning)
{
    ASSERT_TRUE(autostart.SetRunAtStartup(QStringLiteral("/usr/bin/Velmaro")));
    auto form = Make();
    QSignalSpy closed(form.get(), &TForm1::Closed);
    bool goneAtSecondQuestion = false;
    messages.onShow = [&](const ShownMessage& m) {
        if (m.text == kQuestion2)
            goneAtSecondQuestion = !QFile::exists(autostart.EntryPath());
    };
    messages.answers = {false, false};
    form->DisableNelvora1Click();
    EXPECT_EQ(messages.shown, (QList<ShownMessage>{Q(kQuestion1), Info(kRemoved), Q(kQuestion2)}));
    EXPECT_TRUE(goneAtSecondQuestion);
    EXPECT_TRUE(form->Timer1()->isActive());
    EXPECT_EQ(closed.count(), 0);
}

TEST_F(Form1Test, DisableNoWithoutAnEntrySaysNothingToRemove)
{
    auto form = Make();
    messages.answers = {false, false};
    form->DisableNelvora1Click();
    EXPECT_EQ(messages.shown, (QList<ShownMessage>{Q(kQuestion1), Info(kNothing), Q(kQuestion2)}));
}

TEST_F(Form1Test, DisableNoWhenTheFolderIsUnavailableGoesOnInSilence)
{
    auto form = Make();
    WriteAll(xdg.ConfigHome() + QStringLiteral("/autostart"), "not a folder");
    messages.answers = {false, false};
    form->DisableNelvora1Click();
    EXPECT_EQ(messages.shown, (QList<ShownMessage>{Q(kQuestion1), Q(kQuestion2)}));
}

TEST_F(Form1Test, DisableNoWhenTheEntryCannotBeRemovedSaysSo)
{
    ASSERT_TRUE(QDir().mkpath(autostart.EntryPath() + QStringLiteral("/stuck")));
    auto form = Make();
    messages.answers = {false, false};
    form->DisableNelvora1Click();
    EXPECT_EQ(messages.shown,
              (QList<ShownMessage>{Q(kQuestion1), Info(kNotRemoved), Q(kQuestion2)}));
}

TEST_F(Form1Test, DisableYesToTheSecondQuestionRemovesTheIconAndEnds)
{
    ASSERT_TRUE(autostart.SetRunAtStartup(QStringLiteral("/usr/bin/Velmaro")));
    auto form = Make();
    QSignalSpy closed(form.get(), &TForm1::Closed);
    form->TrayIcon()->show(); // as if a notification area were there
    bool iconGoneBeforeClose = false;
    QObject::connect(form.get(), &TForm1::Closed, form.get(),
            [&] { iconGoneBeforeClose = !form->TrayIcon()->isVisible(); });
    messages.answers = {true, true};
    form->DisableNelvora1Click();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_TRUE(iconGoneBeforeClose);
    EXPECT_FALSE(form->Timer1()->isActive());
    EXPECT_FALSE(form->WaitingForTray());
    EXPECT_TRUE(QFile::exists(autostart.EntryPath()));
    // After the end the menus do nothing.
    form->TrayIconMessage(QSystemTrayIcon::Context);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(Form1Test, CloseInsideTheFirstQuestionIsNoAnswer)
{
    ASSERT_TRUE(autostart.SetRunAtStartup(QStringLiteral("/usr/bin/Velmaro")));
    auto form = Make();
    messages.onShow = [&](const ShownMessage&) { form->close(); };
    form->DisableNelvora1Click();
    EXPECT_EQ(messages.shown, QList<ShownMessage>{Q(kQuestion1)});
    EXPECT_TRUE(QFile::exists(autostart.EntryPath()));
}

TEST_F(Form1Test, CloseStopsTheTimerAndIsNeverRefused)
{
    auto form = Make();
    QSignalSpy closed(form.get(), &TForm1::Closed);
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->Timer1()->isActive());
    EXPECT_TRUE(form->close());
    EXPECT_EQ(closed.count(), 1);
}

// SIGTERM, log-out and the disable flow all close the window from inside an open box;
// when the box returns the tick is still on the stack below it.
TEST_F(Form1Test, CloseInsideASpeechFailureEndsTheWalk)
{
    const QString document = programDir.path() + QStringLiteral("/pills.txt");
    WriteAll(document, "x");
    const auto file = [this](const char* name) { return xdg.Folder() + QLatin1Char('/') + QLatin1String(name) + ".ini"; };
    for (const bool inTheBox : {true, false}) { // or while the text is being spoken
        SCOPED_TRACE(inTheBox);
        messages.shown.clear();
        auto form = Make();
        QSignalSpy closed(form.get(), &TForm1::Closed);
        // A Wednesday at 9:58: all three are due, and whichever comes first fails to speak.
        for (const char* name : {"A", "B", "C"})
            WriteAll(file(name), "[LastProc]\nYR=2026\nMO=6\nDY=9\n[Days]\nCk=1\nWed=1\nHr=9\n[SayTime]\nCk=1\n"
                                 "[Open]\nCk=1\n[Reminder]\nOpen=" + document.toUtf8() + "\n");
        speech.works = false;
        speech.onSpeak = [&](const QString&) { if (!inTheBox) form->close(); };
        messages.onShow = [&](const ShownMessage&) { form->close(); };
        form->Scheduler()->Timer1Timer();
        form->Scheduler()->Timer1Timer(); // a timeout already on its way
        speech.onSpeak = nullptr;
        messages.onShow = nullptr;
        int stamped = 0;
        for (const char* name : {"A", "B", "C"})
            stamped += ReadAll(file(name)).contains("DY=10");
        EXPECT_EQ(stamped, 1) << "only the reminder whose box was open";
        EXPECT_TRUE(shell.calls.filter(QStringLiteral("open:")).isEmpty());
        EXPECT_EQ(messages.shown.size(), inTheBox ? 1 : 0);
        EXPECT_EQ(closed.count(), 1);
        EXPECT_FALSE(form->Timer1()->isActive());
    }
}

TEST_F(Form1Test, WriteErrorOfAClosingProgramIsToldAtTheNextStart)
{
    const QString path = xdg.Folder() + QStringLiteral("/ReadOnly.ini");
    const QString unableToWrite = QStringLiteral("Unable to write to ") + path + QLatin1Char('.');
    speech.works = false;
    {
        auto form = Make();
        WriteAll(path, "[LastProc]\nYR=2026\nMO=6\nDY=9\n[Days]\nCk=1\nWed=1\nHr=9\n[SayTime]\nCk=1\n");
        QFile::setPermissions(path, QFile::ReadOwner);
        messages.onShow = [&](const ShownMessage&) { form->close(); };
        form->Scheduler()->Timer1Timer();
        messages.onShow = nullptr;
        EXPECT_FALSE(messages.Texts().contains(unableToWrite)) << "no box after the close";
    }
    messages.shown.clear();
    auto form = Make();
    form->Scheduler()->Timer1Timer();
    EXPECT_EQ(messages.Texts(), QStringList{unableToWrite}) << "told, and not fired again";
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(Form1Test, RealBoxesHaveTheirCaptionsAndButtons)
{
    ASSERT_TRUE(autostart.SetRunAtStartup(QStringLiteral("/usr/bin/Velmaro")));
    QtMessages real;
    auto form = Make(real);
    QStringList seen;
    ModalAnswerer answerer([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box)
            return false;
        QStringList buttons;
        for (QAbstractButton* b : box->buttons()) {
            switch (box->standardButton(b)) {
            case QMessageBox::Yes: buttons << QStringLiteral("Yes"); break;
            case QMessageBox::No: buttons << QStringLiteral("No"); break;
            case QMessageBox::Ok: buttons << QStringLiteral("OK"); break;
            default: buttons << QStringLiteral("?"); break;
            }
        }
        buttons.sort();
        seen << box->windowTitle() + QLatin1Char('|') + QString::number(box->icon()) +
                    QLatin1Char('|') + buttons.join(QLatin1Char(',')) + QLatin1Char('|') +
                    box->text().left(20);
        // No to the first question, OK to the outcome, No to the second.
        QMetaObject::invokeMethod(box, [box] {
            QAbstractButton* b = box->button(QMessageBox::No);
            (b ? b : box->button(QMessageBox::Ok))->click();
        }, Qt::QueuedConnection);
        return true;
    });
    form->DisableNelvora1Click();
    const QString warning = QString::number(QMessageBox::Warning);
    const QString info = QString::number(QMessageBox::Information);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Warning|") + warning + QStringLiteral("|No,Yes|") + kQuestion1.left(20),
                                 QStringLiteral("Information|") + info + QStringLiteral("|OK|") + kRemoved.left(20),
                                 QStringLiteral("Warning|") + warning + QStringLiteral("|No,Yes|") + kQuestion2.left(20)}));
    EXPECT_FALSE(QFile::exists(autostart.EntryPath()));
    EXPECT_TRUE(form->Timer1()->isActive());
}

TEST(NelvoraIcon, ComesFromTheEmbeddedPicture)
{
    const QIcon icon = NelvoraIcon();
    // Drawn sizes only: a scalable picture would pull image plugins into the program.
    EXPECT_EQ(icon.availableSizes(),
              (QList<QSize>{{16, 16}, {22, 22}, {24, 24}, {32, 32}, {48, 48}, {64, 64}}));
    const QImage drawn = icon.pixmap(22, 22).toImage();
    EXPECT_EQ(drawn.size(), QSize(22, 22));
    EXPECT_EQ(drawn, QImage(QStringLiteral(":/icons/nelvora-22.png")).convertToFormat(drawn.format()));

    // Pictures missing from a build still leave something to click.
    const QImage stand = NelvoraIcon(QStringLiteral(":/icons/missing-%1.png")).pixmap(22, 22).toImage();
    ASSERT_FALSE(stand.isNull());
    EXPECT_GT(qAlpha(stand.pixel(11, 11)), 0);
}
