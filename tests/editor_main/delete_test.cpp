// Deleting reminders from the main window.
#include "editor_fixture.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

const QString kCannotDelete = QStringLiteral(
    "This alert or reminder could not be deleted. Reboot and try again later in case the "
    "file is currently in use.");

QStringList Entries(const TFrmFirst& w)
{
    QStringList names;
    for (int i = 0; i < w.ListBox1->count(); ++i)
        names << w.ListBox1->item(i)->text();
    return names;
}

struct DeleteFixture : EditorFixture {
    std::unique_ptr<TFrmFirst> w;
    QStringList before;

    void Open()
    {
        PutResident();
        residentRunning = true;
        w = Start();
        before = Entries(*w);
        messages.shown.clear();
    }
    QString File(const QString& name) const
    {
        return xdg.Folder() + QLatin1Char('/') + name + QStringLiteral(".ini");
    }
    void Delete(const QString& name, bool answer)
    {
        w->ListBox1->setCurrentRow(before.indexOf(name));
        messages.answers.push_back(answer);
        QTest::mouseClick(w->CmdDel, Qt::LeftButton);
    }
};

TEST(FrmFirstDelete, ConfirmedDeleteRemovesFileAndEntryAndShowsFirst)
{
    DeleteFixture f;
    f.PutReminder(QStringLiteral("Alpha"), "[Days]\nCk=1\nTue=1\n");
    f.PutReminder(QStringLiteral("Beta"), "[Monthly]\nCk=1\nDay=2\n");
    f.PutReminder(QStringLiteral("Gamma"), "[Reminder]\nMsg=g\n");
    f.Open();
    const QString victim = f.before[1];

    f.Delete(victim, false);
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_EQ(f.messages.shown[0],
              (ShownMessage{QStringLiteral("question"),
                            "You are about to delete the reminder named " + victim +
                                ". Click yes to confirm the delete."}));
    EXPECT_EQ(f.w->CurrentReminderName, victim);
    EXPECT_TRUE(QFileInfo::exists(f.File(victim))) << "No keeps the reminder";
    EXPECT_EQ(Entries(*f.w), f.before);

    f.messages.shown.clear();
    f.Delete(victim, true);
    EXPECT_EQ(f.messages.shown.size(), 1) << "only the question";
    EXPECT_FALSE(QFileInfo::exists(f.File(victim)));
    QStringList after = f.before;
    after.removeAt(1);
    EXPECT_EQ(Entries(*f.w), after);
    EXPECT_EQ(f.w->ListBox1->currentRow(), 0);
    EXPECT_EQ(f.w->Label1->text(), after[0]) << "the summary follows the new selection";
    for (const QString& other : after)
        EXPECT_TRUE(QFileInfo::exists(f.File(other)));
}

TEST(FrmFirstDelete, LastDeleteClearsSummary)
{
    DeleteFixture f;
    f.PutReminder(QStringLiteral("Only"), "[Days]\nCk=1\nSun=1\n[SayDay]\nCk=1\n");
    f.Open();
    ASSERT_EQ(f.w->Label1->text(), "Only");
    f.Delete(QStringLiteral("Only"), true);
    EXPECT_EQ(f.w->ListBox1->count(), 0);
    EXPECT_EQ(f.w->ListBox1->currentRow(), -1);
    for (QLabel* label : {f.w->Label1, f.w->Label5, f.w->Label4, f.w->Label3, f.w->Label2,
                          f.w->Label8, f.w->Label6})
        EXPECT_TRUE(label->text().isEmpty()) << label->objectName().toStdString();
}

TEST(FrmFirstDelete, FileAlreadyGoneRemovesEntrySilently)
{
    DeleteFixture f;
    f.PutReminder(QStringLiteral("Gone"), "[Days]\nCk=1\n");
    f.PutReminder(QStringLiteral("Kept"), "[Days]\nCk=1\n");
    f.Open();
    QFile::remove(f.File(QStringLiteral("Gone")));
    f.Delete(QStringLiteral("Gone"), true);
    EXPECT_EQ(f.messages.shown.size(), 1) << f.messages.Texts().join('|').toStdString();
    EXPECT_EQ(Entries(*f.w), QStringList{QStringLiteral("Kept")});
    EXPECT_TRUE(QFileInfo::exists(f.File(QStringLiteral("Kept"))));
}

TEST(FrmFirstDelete, UndeletableEntryKeepsItsPlace)
{
    DeleteFixture f;
    f.PutReminder(QStringLiteral("Plain"), "[Days]\nCk=1\n");
    // A folder where the file should be cannot be deleted as a file, even by root.
    QDir().mkpath(f.File(QStringLiteral("Stuck")) + QStringLiteral("/inside"));
    f.Open();
    ASSERT_TRUE(f.before.contains(QStringLiteral("Stuck")));
    f.Delete(QStringLiteral("Stuck"), true);
    ASSERT_EQ(f.messages.shown.size(), 2);
    EXPECT_EQ(f.messages.shown[1], (ShownMessage{QStringLiteral("notice"), kCannotDelete}));
    EXPECT_EQ(Entries(*f.w), f.before);
    EXPECT_EQ(f.w->ListBox1->currentItem()->text(), "Stuck");
    EXPECT_TRUE(QFileInfo(f.File(QStringLiteral("Stuck"))).isDir());

    // An empty folder of that name stays too: only files are deleted.
    QDir().rmdir(f.File(QStringLiteral("Stuck")) + QStringLiteral("/inside"));
    f.messages.shown.clear();
    f.Delete(QStringLiteral("Stuck"), true);
    EXPECT_EQ(f.messages.Texts().last(), kCannotDelete);
    EXPECT_EQ(Entries(*f.w), f.before);
}

TEST(FrmFirstDelete, DanglingLinkIsRemovedWithItsEntry)
{
    DeleteFixture f;
    QDir().mkpath(f.xdg.Folder());
    ASSERT_TRUE(QFile::link(f.xdg.Root() + QStringLiteral("/nowhere"), f.File(QStringLiteral("Link"))));
    f.Open();
    ASSERT_EQ(f.before, QStringList{QStringLiteral("Link")});
    f.Delete(QStringLiteral("Link"), true);
    EXPECT_EQ(f.w->ListBox1->count(), 0);
    EXPECT_FALSE(QFileInfo(f.File(QStringLiteral("Link"))).isSymLink())
        << "it would come back at the next start";
}

#ifndef Q_OS_WIN // names are bytes only on Linux
TEST(FrmFirstDelete, WindowsNamedReminderIsListedSummarisedAndDeleted)
{
    DeleteFixture f;
    QDir().mkpath(f.xdg.Folder());
    // Unpacked from an archive made on Windows: name and text in its code page. Beside it
    // a UTF-8 name that shows alike: each entry stands for its own file.
    const QByteArray windows = QFile::encodeName(f.xdg.Folder()) + "/Caf\xE9.ini";
    WriteNative(windows, "[Days]\r\nCk=1\r\nMon=1\r\nHr=7\r\nMin=30\r\n[Reminder]\r\nMsg=caf\xE9\r\n");
    f.PutReminder(QString::fromUtf8("Café"), "[Days]\nCk=1\nTue=1\nHr=8\nMin=0\n[Reminder]\nMsg=utf\n");
    f.Open();
    ASSERT_EQ(f.before, QStringList(2, QString::fromUtf8("Café")));
    QStringList summaries;
    for (const int row : {1, 0}) {
        f.w->ListBox1->setCurrentRow(row);
        summaries << f.w->Label1->text() + ", " + f.w->Label3->text() + ", " + f.w->Label6->text();
    }
    const int windowsRow = summaries[0].contains("7:30") ? 1 : 0;
    summaries.sort();
    EXPECT_EQ(summaries, (QStringList{QString::fromUtf8("Café, 7:30 AM  (Military Time : 7:30), Message: café"),
                                      QString::fromUtf8("Café, 8:00 AM  (Military Time : 8:00), Message: utf")}));

    f.w->ListBox1->setCurrentRow(windowsRow);
    f.messages.answers.push_back(true);
    QTest::mouseClick(f.w->CmdDel, Qt::LeftButton);
    EXPECT_EQ(f.messages.shown.size(), 1) << f.messages.Texts().join('|').toStdString();
    EXPECT_EQ(Entries(*f.w), QStringList{QString::fromUtf8("Café")});
    EXPECT_EQ(f.w->Label6->text(), "Message: utf") << "the summary follows the entry left";
    EXPECT_EQ(ReadNative(windows), "<absent>");
    EXPECT_TRUE(QFileInfo::exists(f.File(QString::fromUtf8("Café"))));
    ::unlink(windows.constData()); // Qt could not name it to clean up after a failure
}
#endif

} // namespace
