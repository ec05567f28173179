// The reminder folder, the editor's list and the geometry store.
#include "storetest.h"

#include "filenames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>

#include <sys/stat.h>
#include <unistd.h>

TEST(ReminderFolderInit, CreatesAPrivateFolderWithItsParents)
{
    TempXdg env;
    const QString data = env.Root() + "/deep/er/data";
    env.Folders().roamingData = data;
    ASSERT_TRUE(InitReminderFolder(env.Folders()));
    EXPECT_EQ(ReminderFolder(), data + "/Velmaro");
#ifndef _WIN32 // on Windows the folder takes the access rules of the user's profile
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(ReminderFolder()).constData(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode) && (st.st_mode & 0777) == 0700);
#endif
    EXPECT_TRUE(InitReminderFolder(env.Folders())); // already there

    // A file in the way: the path is kept and nothing can be written there.
    QDir().mkpath(env.Root() + "/blocked");
    WriteAll(env.Root() + "/blocked/Velmaro", "not a folder");
    env.Folders().roamingData = env.Root() + "/blocked";
    EXPECT_FALSE(InitReminderFolder(env.Folders()));
    EXPECT_EQ(ReminderFolder(), env.Root() + "/blocked/Velmaro");
    EXPECT_TRUE(ListReminders().isEmpty());
    const QString path = ReminderFileName("A");
    EXPECT_EQ(StoreErrorOf([&] { WriteProfileString(path, "A", "k", "1"); }), WriteError(path));
    EXPECT_EQ(ReadAll(ReminderFolder()), "not a folder");
}

#ifdef _WIN32
// The desktop's own folders, as the programs build paths on them: '/' throughout.
TEST(DesktopFolders, AreTheProfilesAndTheProgramsOwn)
{
    const std::unique_ptr<ISpecialFolders> desktop = MakeDesktopFolders();
    const QString local = QDir::fromNativeSeparators(qEnvironmentVariable("LOCALAPPDATA"));
    EXPECT_EQ(desktop->RoamingData(), QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA")));
    EXPECT_EQ(desktop->StateHome(), local);
    EXPECT_EQ(desktop->ResidentGeometryReadFolder().toLower(),
              QDir::fromNativeSeparators(qEnvironmentVariable("SystemRoot")).toLower());
    EXPECT_EQ(desktop->ResidentGeometryWriteFolder(), local + "/Velmaro");
    EXPECT_TRUE(QFileInfo(local + "/Velmaro").isDir());
    EXPECT_EQ(desktop->ProgramFolder(), QCoreApplication::applicationDirPath() + '/');
    EXPECT_EQ(ExecutableName("Velmaro"), "Velmaro.exe");
}
#endif

TEST_F(StoreTest, ListRemindersFiltersTheFolder)
{
    EXPECT_TRUE(ListReminders().isEmpty());
    // An empty folder is read; a missing one, or a file in its place, is not.
    EXPECT_EQ(ReminderFolderEntries(env.Folder()), QStringList());
    WriteAll(File("file"), "x");
    EXPECT_EQ(ReminderFolderEntries(File("missing")), std::nullopt);
    EXPECT_EQ(ReminderFolderEntries(File("file")), std::nullopt);
    QFile::remove(File("file"));
    for (const char* name : {"Medicine.ini", "Old.INI", "Velmaro6.ini", "my velMARO note.ini", "a.ini.ini", "notes.txt",
                             "b.ini.bak", ".hidden.ini"})
        WriteAll(File(name), "[Date]\nCk=1\n");
    QDir().mkdir(File("x.ini"));
    QDir().mkdir(File("sub"));
    QFile::setPermissions(File("Old.INI"), QFile::ReadOwner);
    QStringList entries = ReminderFolderEntries(env.Folder()).value_or(QStringList{"<unread>"}), names;
    for (const ListedReminder& r : ListReminders())
        names << r.name + " " + r.path.mid(env.Folder().size());
    entries.sort();
    names.sort();
    EXPECT_EQ(entries, QStringList({".hidden.ini", "Medicine.ini", "Old.INI", "Velmaro6.ini", "a.ini.ini",
                                    "my velMARO note.ini", "x.ini"}));
    EXPECT_EQ(names, QStringList({".hidden /.hidden.ini", "Medicine /Medicine.ini", "Old.INI /Old.INI",
                                  "a.ini /a.ini.ini", "x /x.ini"}));
}

TEST_F(StoreTest, GeometryIsKeptPerProgramFile)
{
    const QString editor = EditorGeometryFile(), resident = env.ConfigHome() + "/Velmaro6.ini";
    EXPECT_EQ(editor, env.Folder() + "/Velmaro6.ini");
    SetGeometryFile(editor);
    EXPECT_EQ(ReadFormWidth("FrmWhen"), 0);
    EXPECT_TRUE(WriteFormSize("FrmWhen", 558, 651) && WriteFormSize("FrmFirst", 600, 500) &&
                WriteFormSize("FrmWhen", 700, 800));
    EXPECT_EQ(ReadAll(editor), "[FrmWhen]\nW=700\nH=800\n[FrmFirst]\nW=600\nH=500\n");

    UseResidentGeometry(env.Folders());
    EXPECT_EQ(ReadFormHeight("FrmWhen"), 0);
    EXPECT_TRUE(WriteFormSize("FrmMsg", 477, 240));
    EXPECT_EQ(ReadAll(resident), "[FrmMsg]\nW=477\nH=240\n");
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

// One rule for every window: a stored W or H that is not 0 replaces the design's.
TEST_F(StoreTest, RestoredSizeTakesWhatIsStoredButZero)
{
    SetGeometryFile(EditorGeometryFile());
    WriteAll(EditorGeometryFile(), "[FrmWhen]\nW=640\nH=0\n[FrmFirst]\nW=-20\nH=wide\n");
    EXPECT_EQ(RestoredFormSize("FrmWhen", {558, 651}), QSize(640, 651));
    EXPECT_EQ(RestoredFormSize("FrmFirst", {498, 451}), QSize(-20, 451));
    EXPECT_EQ(RestoredFormSize("FrmWhatType", {414, 466}), QSize(414, 466));
}

// Where the scheduler cannot write the folder its sizes were kept in (the Windows folder),
// they go to the write folder, and are read from there once they are there.
TEST_F(StoreTest, ResidentGeometryIsReadFromTheWrittenFileOnceThere)
{
    const QString old = env.Root() + "/old";
    QDir().mkpath(old);
    WriteAll(old + "/Velmaro6.ini", "[FrmMsg]\nW=500\nH=300\n");
    env.Folders().geometryReadFolder = old;
    UseResidentGeometry(env.Folders());
    EXPECT_EQ(ReadFormWidth("FrmMsg"), 500);
    EXPECT_TRUE(WriteFormSize("FrmMsg", 600, 320));
    EXPECT_EQ(ReadAll(old + "/Velmaro6.ini"), "[FrmMsg]\nW=500\nH=300\n");
    EXPECT_EQ(ReadAll(env.ConfigHome() + "/Velmaro6.ini"), "[FrmMsg]\nW=600\nH=320\n");
    UseResidentGeometry(env.Folders());
    EXPECT_EQ(ReadFormWidth("FrmMsg"), 600);
}

#ifndef _WIN32 // only where the file system names files with bytes
// Files named in the Windows code page, as an archive made on Windows unpacks them, one
// beside a UTF-8 name that shows alike: each listed name reaches its own file only.
TEST_F(StoreTest, EveryListedNameReachesItsOwnFile)
{
    const QByteArray folder = QFile::encodeName(env.Folder()) + '/';
    WriteNative(folder + "Caf\xE9.ini", "[Reminder]\r\nMsg=caf\xE9\r\n");
    WriteNative(folder + "Caf\xC3\xA9.ini", "[Reminder]\nMsg=utf\n");
    WriteNative(folder + "\x80uro.ini", "[Days]\nCk=1\n");
    QMap<QByteArray, QString> listed;
    QString windows;
    for (const ListedReminder& r : ListReminders()) {
        listed[NativeFilePath(r.path)] = r.name + ' ' + ReadReminderSummary(r.path).Msg;
        windows = NativeFilePath(r.path).endsWith("\xE9.ini") ? r.path : windows;
    }
    EXPECT_EQ(listed, (QMap<QByteArray, QString>{{folder + "Caf\xE9.ini", QString::fromUtf8("Café café")},
                                                 {folder + "Caf\xC3\xA9.ini", QString::fromUtf8("Café utf")},
                                                 {folder + "\x80uro.ini", QString::fromUtf8("€uro ")}}));

    // The write error shows the name as listed. Made-up text that is no listed name
    // reaches no file, not even the one its bytes spell.
    chmod((folder + "Caf\xE9.ini").constData(), 0444);
    EXPECT_EQ(StoreErrorOf([&] { WriteProfileString(windows, "Date", "Ck", "0"); }),
              WriteError(env.Folder() + QString::fromUtf8("/Café.ini")));
    const QString forged = env.Folder() + "/Caf" + QChar(0xDCC3) + QChar(0xDCA9) + ".ini";
    EXPECT_EQ(StoreErrorOf([&] { WriteProfileString(forged, "Date", "Ck", "0"); }),
              WriteError(env.Folder() + QString::fromUtf8("/CafÃ©.ini")));
    EXPECT_FALSE(DeleteReminderFile(forged));

    EXPECT_TRUE(DeleteReminderFile(windows));
    EXPECT_EQ(ReadNative(folder + "Caf\xE9.ini"), "<absent>");
    EXPECT_EQ(ReadNative(folder + "Caf\xC3\xA9.ini"), "[Reminder]\nMsg=utf\n");
    // A name that is valid UTF-8 keeps even a leading byte order mark.
    EXPECT_EQ(DecodeFileName("\xEF\xBB\xBFx.ini"), QString(QChar(0xFEFF)) + "x.ini");
    unlink((folder + "\x80uro.ini").constData()); // Qt cannot name it to clean up the folder
}
#endif

TEST_F(StoreTest, DeleteRemovesFilesAndLinksOnly)
{
    WriteAll(File("f.ini"), "x");
    QDir().mkdir(File("d.ini"));
    EXPECT_TRUE(DeleteReminderFile(File("f.ini")));
    EXPECT_FALSE(DeleteReminderFile(File("d.ini")));
    QStringList expected = {"d.ini"};
#ifndef _WIN32 // Qt links on Windows are shell shortcuts, plain files
    QFile::link(File("d.ini"), File("to-folder.ini"));
    QFile::link(File("nowhere"), File("dangling.ini"));
    EXPECT_TRUE(DeleteReminderFile(File("dangling.ini")));
    EXPECT_FALSE(DeleteReminderFile(File("to-folder.ini")));
    expected << "to-folder.ini";
#endif
    QStringList left = ReminderFolderEntries(env.Folder()).value_or(QStringList{"<unread>"});
    left.sort();
    EXPECT_EQ(left, expected);
}
