// Reading private-profile files: value forms, hand-written files, hostile files.
#include "storetest.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <climits>
#include <random>
#include <sys/stat.h>

TEST(ProfileRead, ValueForms)
{
    const std::pair<const char*, std::optional<int>> ints[] = {
        {"42", 42},           {"-5", -5},       {" 7 ", 7},       {"\t8", 8},       {"0x1F", 31},
        {"0X1f", 31},         {"$1f", 31},      {"-2147483648", INT_MIN},           {"", {}},
        {"yes", {}},          {"12abc", {}},    {"0x", {}},       {"$", {}},        {"-", {}},
        {"1 2", {}},          {"0x1G", {}},     {"2147483648", {}},
    };
    for (const auto& [text, want] : ints)
        EXPECT_EQ(ParseProfileInteger(text), want) << '"' << text << '"';

    const auto f = ProfileSnapshot::FromBytes("[Date]\nTwo=2\nMinus=-1\nYes=yes\nZero=0\nEmpty=\n");
    EXPECT_TRUE(f.ReadBool("Date", "Two", false) && f.ReadBool("Date", "Minus", false));
    EXPECT_FALSE(f.ReadBool("Date", "Yes", false) || f.ReadBool("Date", "Zero", true));
    EXPECT_TRUE(f.ReadBool("Date", "Yes", true) && f.ReadBool("Date", "Empty", true));
    EXPECT_EQ(f.ReadInteger("Date", "Yes", 7), 7);
    EXPECT_EQ(f.ReadString("Date", "Empty", "def"), "");
    EXPECT_EQ(f.ReadString("Date", "Absent", "def"), "def");

    const QByteArray emoji = "\xF0\x9F\x98\x80"; // one character, two UTF-16 units
    const auto g = ProfileSnapshot::FromBytes("[R]\nLong=" + QByteArray(3000, 'x') + "\nPair=" + QByteArray(2046, 'a') +
                                              emoji + "\nFits=" + QByteArray(2045, 'a') + emoji + "\n");
    EXPECT_EQ(g.ReadString("R", "Long", ""), QString(2047, 'x'));
    EXPECT_EQ(g.ReadString("R", "Pair", ""), QString(2046, 'a'));
    EXPECT_EQ(g.ReadString("R", "Fits", ""), QString(2045, 'a') + QString::fromUtf8(emoji));
}

// Files from the old program or a text editor: case, blanks, BOM, comments, duplicates, 8-bit text.
TEST_F(StoreTest, HandWrittenFilesReadLikeEditorFiles)
{
    const QString path = File("hand.ini");
    WriteAll(path, "\xEF\xBB\xBF; by hand\r\n  [ date ]  \r\nck = 1\r\n  YEAR\t=\t2027 \r\n; Month=9\r\n  ;Day=9\r\n"
                   "Month=3\r\nmonth=4\r\nno equals sign\r\nHr\r\n[DATE]\r\nCk=0\r\n"
                   "[reminder]\r\nMSG = caf\xe9 \x80 5 = ok \t\r\nOpen==x\r\n");
    EXPECT_EQ(ReadProfileString(path, "Reminder", "Msg", ""), QString::fromUtf8("café € 5 = ok"));
    EXPECT_EQ(ReadProfileString(path, "Reminder", "Open", ""), "=x");
    EXPECT_EQ(ReadProfileString(path, "Date", "Hr", "-"), "-");
    const TReminder r = LoadReminder(path);
    EXPECT_EQ(QString("%1 %2-%3-%4 %5").arg(r.Date.Ck).arg(r.Date.Year).arg(r.Date.Month).arg(r.Date.Day).arg(r.Date.Hr),
              "1 2027-3-1 1");

    for (const QByteArray& eol : {QByteArray("\r"), QByteArray("\n"), QByteArray("\r\n")}) {
        const auto f = ProfileSnapshot::FromBytes("[a]" + eol + "k=caf\xc3\xa9" + eol + "[b]" + eol + "k=2");
        EXPECT_EQ(f.ReadString("A", "K", ""), QString::fromUtf8("café"));
        EXPECT_EQ(f.ReadInteger("B", "K", 0), 2);
    }
}

TEST_F(StoreTest, HostileFilesNeverCrashReaders)
{
    const QString path = File("bad.ini");
    auto readAll = [&] {
        ReadResidentSchedule(ProfileSnapshot::Read(path));
        ReadReminderSummary(path);
        StoreErrorOf([&] { LoadReminder(path); });
    };
    std::mt19937 rng(20260517);
    const QByteArray alphabet = Bytes("[]=; \t\r\n\0xYk\xe9\xc3\xff");
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes(int(rng() % 3000), '\0');
        for (char& c : bytes)
            c = rng() % 3 ? alphabet[int(rng() % alphabet.size())] : char(rng());
        WriteAll(path, bytes);
        readAll();
        // Whatever the file held, a written key must read back.
        WriteProfileString(path, "Reminder", "Msg", "ok");
        ASSERT_EQ(ReadProfileString(path, "Reminder", "Msg", ""), "ok") << ::testing::PrintToString(bytes);
    }

    WriteAll(path, Bytes("[R]\nk=1\nx=\0\0\0y\n[Reminder]\nMsg=") + QByteArray(100000, 'm') + "\nOpen=o\n");
    EXPECT_EQ(ReadProfileInteger(path, "R", "k", 0), 1);
    EXPECT_EQ(ReadProfileString(path, "Reminder", "Msg", "").size(), 2047);
    EXPECT_EQ(ReadProfileString(path, "Reminder", "Open", ""), "o");

    // 10 MB of keys and then of sections, read fast: the scheduler reads every file each minute.
    QByteArray big = "[A]\nfirst=1\n";
    while (big.size() < 5'000'000)
        big += "pad" + QByteArray::number(big.size()) + "=" + QByteArray(40, 'p') + "\n";
    while (big.size() < 10'000'000)
        big += "[s" + QByteArray::number(big.size()) + "]\nk=1\n";
    WriteAll(path, big + "[Z]\nlast=2\n");
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(ReadProfileInteger(path, "A", "first", 0) + ReadProfileInteger(path, "Z", "last", 0), 3);
    // A bound far below what a quadratic parse takes (minutes), with room for the
    // sanitizer build and for a loaded machine.
#ifdef __SANITIZE_ADDRESS__
    EXPECT_LT(timer.elapsed(), 60000);
#else
    EXPECT_LT(timer.elapsed(), 20000);
#endif

    chmod(QFile::encodeName(path).constData(), 0);
    readAll();
    EXPECT_EQ(StoreErrorOf([&] { WriteProfileString(path, "Z", "last", "3"); }), WriteError(path));

    const QString dir = File("x.ini");
    ASSERT_TRUE(QDir().mkdir(dir));
    EXPECT_EQ(ReadProfileString(dir, "A", "k", "def"), "def");
    EXPECT_EQ(StoreErrorOf([&] { WriteProfileString(dir, "A", "k", "1"); }), WriteError(dir));

    // Above 64 MiB a file is no reminder: it reads empty and is never rewritten.
    QFile huge(File("huge.ini"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.write("[A]\nk=1\n") == 8);
    ASSERT_TRUE(huge.resize(64 * 1024 * 1024 + 1)); // sparse: cheap on disk
    huge.close();
    EXPECT_EQ(ReadProfileInteger(huge.fileName(), "A", "k", 0), 0);
    EXPECT_EQ(StoreErrorOf([&] { WriteProfileString(huge.fileName(), "A", "k", "2"); }), WriteError(huge.fileName()));
    EXPECT_EQ(huge.size(), 64 * 1024 * 1024 + 1);
}
