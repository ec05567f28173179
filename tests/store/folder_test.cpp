// The reminder folder, the editor's list and the geometry store.
#include "storetest.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

TEST(ReminderFolderInit, CreatesAPrivateFolderWithItsParents)
{
    TempXdg env;
    const QString data = env.Root() + "/deep/er/data";
    qputenv("XDG_DATA_HOME", data.toLocal8Bit());
    ASSERT_TRUE(InitReminderFolder());
    EXPECT_EQ(ReminderFolder(), data + "/Velmaro");
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(ReminderFolder()).constData(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode) && (st.st_mode & 0777) == 0700);
    EXPECT_TRUE(InitReminderFolder()); // already there

    // A file in the way: the path is kept and nothing can be written there.
    QDir().mkpath(env.Root() + "/blocked");
    WriteAll(env.Root() + "/blocked/Velmaro", "not a folder");
    qputenv("XDG_DATA_HOME", (env.Root() + "/blocked").toLocal8Bit());
    EXPECT_FALSE(InitReminderFolder());
    EXPECT_EQ(ReminderFolder(), env.Root() + "/blocked/Velmaro");
    EXPECT_TRUE(ListReminders().isEmpty());
    const QString path = ReminderFileName("A");
    EXPECT_EQ(StoreErrorOf([&] { WriteProfileString(path, "A", "k", "1"); }), WriteError(path));
    EXPECT_EQ(ReadAll(ReminderFolder()), "not a folder");
}

TEST_F(StoreTest, ListRemindersFiltersTheFolder)
{
    EXPECT_TRUE(ListReminders().isEmpty());
    for (const char* name : {"Medicine.ini", "Old.INI", "Velmaro6.ini", "my velMARO note.ini", "a.ini.ini", "notes.txt",
                             "b.ini.bak", ".hidden.ini"})
        WriteAll(File(name), "[Date]\nCk=1\n");
    QDir().mkdir(File("x.ini"));
    QDir().mkdir(File("sub"));
    QFile::setPermissions(File("Old.INI"), QFile::ReadOwner);
    QStringList entries = ReminderFolderEntries(env.Folder()), names = ListReminders();
    entries.sort();
    names.sort();
    EXPECT_EQ(entries, QStringList({".hidden.ini", "Medicine.ini", "Old.INI", "Velmaro6.ini", "a.ini.ini",
                                    "my velMARO note.ini", "x.ini"}));
    EXPECT_EQ(names, QStringList({".hidden", "Medicine", "Old.INI", "a.ini", "x"}));
}

TEST_F(StoreTest, GeometryIsKeptPerProgramFile)
{
    const QString editor = EditorGeometryFile(), resident = ResidentGeometryFile();
    EXPECT_EQ(editor, env.Folder() + "/Velmaro6.ini");
    EXPECT_EQ(resident, env.ConfigHome() + "/Velmaro6.ini");
    SetGeometryFile(editor);
    EXPECT_EQ(ReadFormWidth("FrmWhen"), 0);
    EXPECT_TRUE(WriteFormSize("FrmWhen", 558, 651) && WriteFormSize("FrmFirst", 600, 500) &&
                WriteFormSize("FrmWhen", 700, 800));
    EXPECT_EQ(ReadAll(editor), "[FrmWhen]\nW=700\nH=800\n[FrmFirst]\nW=600\nH=500\n");

    SetGeometryFile(resident);
    EXPECT_EQ(ReadFormHeight("FrmWhen"), 0);
    EXPECT_TRUE(WriteFormSize("FrmMsg", 477, 240));
    EXPECT_EQ(ReadFormWidth("FrmMsg") * 1000 + ReadFormHeight("frmmsg"), 477240);
    SetGeometryFile(editor);
    EXPECT_EQ(ReadFormWidth("FrmWhen") * 1000 + ReadFormHeight("FrmFirst"), 700500);
    EXPECT_EQ(ReadFormWidth("FrmMsg"), 0);

    WriteAll(editor, "[FrmWhen]\nW=wide\nH=\n");
    EXPECT_EQ(ReadFormWidth("FrmWhen") + ReadFormHeight("FrmWhen"), 0);
    // A window that cannot store its size still closes.
    QFile::setPermissions(editor, QFile::ReadOwner);
    EXPECT_FALSE(WriteFormSize("FrmWhen", 1, 2));
    SetGeometryFile(File("missing/Velmaro6.ini"));
    EXPECT_FALSE(WriteFormSize("FrmWhen", 1, 2));
}
