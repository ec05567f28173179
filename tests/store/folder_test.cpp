// The reminder folder, the editor's list and the geometry store.
#include "storetest.h"

#include "encoding.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

QByteArray ReadNative(const QByteArray& path)
{
    QFile f;
    std::FILE* file = std::fopen(path.constData(), "rb");
    if (!file || !f.open(file, QIODevice::ReadOnly))
        return "<absent>";
    const QByteArray bytes = f.readAll();
    f.close();
    std::fclose(file);
    return bytes;
}

void WriteNative(const QByteArray& path, const QByteArray& bytes)
{
    std::FILE* file = std::fopen(path.constData(), "wb");
    ASSERT_TRUE(file);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file);
    std::fclose(file);
}

} // namespace

// A file named in the Windows code page, as an archive made on Windows unpacks it.
TEST_F(StoreTest, WindowsNamedFileIsFoundByItsDecodedName)
{
    const QByteArray folder = QFile::encodeName(env.Folder()) + '/';
    WriteNative(folder + "Caf\xE9.ini", "[Date]\r\nCk=1\r\n[Reminder]\r\nMsg=caf\xE9\r\n");
    WriteNative(folder + "\x80uro.ini", "[Days]\nCk=1\n");
    QStringList names = ListReminders();
    names.sort();
    EXPECT_EQ(names, QStringList({QString::fromUtf8("Café"), QString::fromUtf8("€uro")}));

    const QString cafe = ReminderFileName(QString::fromUtf8("Café"));
    EXPECT_EQ(NativeFilePath(cafe), folder + "Caf\xE9.ini");
    EXPECT_EQ(ReadReminderSummary(cafe).Msg, QString::fromUtf8("café"));
    EXPECT_TRUE(ProfileSnapshot::Read(ReminderFileName(QString::fromUtf8("€uro"))).ReadBool("Days", "Ck", false));

    // Rewritten in place: no second file under the UTF-8 spelling.
    TReminder r = LoadReminder(cafe);
    r.Msg = "tea";
    SaveReminder(cafe, r, QDateTime(QDate(2026, 5, 17), QTime(14, 3)));
    EXPECT_TRUE(ReadNative(folder + "Caf\xE9.ini").contains("Msg=tea\r\n"));
    EXPECT_EQ(ReadNative(QFile::encodeName(cafe)), "<absent>");
    EXPECT_EQ(LoadReminder(cafe).Msg, "tea");
    EXPECT_EQ(ReminderFolderEntries(env.Folder()).size(), 2);

    EXPECT_TRUE(DeleteReminderFile(cafe));
    EXPECT_EQ(ReadNative(folder + "Caf\xE9.ini"), "<absent>");
    EXPECT_EQ(ListReminders(), QStringList{QString::fromUtf8("€uro")});
    EXPECT_TRUE(DeleteReminderFile(cafe)) << "nothing left to delete is no failure";

    // With no file yet, or both spellings on disk, a name means its UTF-8 spelling.
    WriteProfileString(cafe, "Date", "Ck", "1");
    EXPECT_EQ(ReadNative(folder + "Caf\xC3\xA9.ini"), "[Date]\nCk=1\n");
    WriteNative(folder + "Caf\xE9.ini", "[Date]\nCk=0\n");
    EXPECT_EQ(NativeFilePath(cafe), folder + "Caf\xC3\xA9.ini");
    // A name that is valid UTF-8 keeps even a leading byte order mark.
    EXPECT_EQ(DecodeFileName("\xEF\xBB\xBFx.ini"), QString(QChar(0xFEFF)) + "x.ini");
    for (const char* name : {"Caf\xE9.ini", "\x80uro.ini"})
        unlink((folder + name).constData()); // Qt cannot name them to clean up the folder
}

TEST_F(StoreTest, DeleteRemovesFilesAndLinksOnly)
{
    WriteAll(File("f.ini"), "x");
    QDir().mkdir(File("d.ini"));
    QFile::link(File("d.ini"), File("to-folder.ini"));
    QFile::link(File("nowhere"), File("dangling.ini"));
    EXPECT_TRUE(DeleteReminderFile(File("f.ini")));
    EXPECT_TRUE(DeleteReminderFile(File("dangling.ini")));
    EXPECT_FALSE(DeleteReminderFile(File("d.ini")));
    EXPECT_FALSE(DeleteReminderFile(File("to-folder.ini")));
    QStringList left = ReminderFolderEntries(env.Folder());
    left.sort();
    EXPECT_EQ(left, QStringList({"d.ini", "to-folder.ini"}));
}
