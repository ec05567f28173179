// Several processes on one file: no lost keys, never a partial file.
#include "storetest.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <map>
#include <memory>
#include <random>
#include <set>

#ifdef _WIN32
#include <windows.h>
// The system's own profile routine of that name is not the store's.
#undef WriteProfileString
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#endif

namespace {

// Re-runs this executable as a writer: "keys|path|prefix|count" adds prefix0..prefixN-1
// to section S; "count|path" writes T/v = 1, 2, 3... until killed.
std::unique_ptr<QProcess> StartWriter(const QString& job)
{
    auto p = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("NELVORA_STORE_WRITER", job);
    p->setProcessEnvironment(env);
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start(QCoreApplication::applicationFilePath(),
             {"--gtest_also_run_disabled_tests", "--gtest_filter=StoreWriterProcess.DISABLED_Run"});
    EXPECT_TRUE(p->waitForStarted());
    return p;
}

// Each writer adds its keys in order, so a sound file holds a prefix of each writer's keys,
// and that prefix never shrinks.
void CheckKeysFile(const QByteArray& bytes, std::map<char, int>& seen)
{
    if (bytes.isEmpty())
        return;
    ASSERT_TRUE(bytes.startsWith("[S]\n") && bytes.endsWith('\n')) << ::testing::PrintToString(bytes);
    std::map<char, std::set<int>> keys;
    for (const QByteArray& line : bytes.chopped(1).split('\n').mid(1)) {
        const qsizetype eq = line.indexOf('=');
        ASSERT_TRUE(eq > 1 && QByteArray("AB").contains(line[0]) && line.mid(1, eq - 1) == line.mid(eq + 1) &&
                    keys[line[0]].insert(line.mid(1, eq - 1).toInt()).second)
            << line.constData();
    }
    for (const auto& [writer, indices] : keys) {
        ASSERT_EQ(*indices.rbegin() + 1, int(indices.size())) << "gap in the keys of " << writer;
        ASSERT_GE(int(indices.size()), seen[writer]) << "keys of " << writer << " lost";
        seen[writer] = int(indices.size());
    }
}

// Sets the modification time `seconds` into the past.
void SetAge(const QString& path, int seconds)
{
#ifdef _WIN32
    // Folders open only with backup semantics.
    const HANDLE h = CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), FILE_WRITE_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path.toStdString();
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const quint64 then = (quint64(now.dwHighDateTime) << 32 | now.dwLowDateTime) - quint64(seconds) * 10000000;
    const FILETIME t{DWORD(then), DWORD(then >> 32)};
    EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &t));
    CloseHandle(h);
#else
    const struct timespec times[2] = {{time(nullptr) - seconds, 0}, {time(nullptr) - seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0) << path.toStdString();
#endif
}

// Everything in the folder, sorted, but the lock file that Windows writers share there.
QStringList FolderContent(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
#ifdef _WIN32
    names.removeOne(".nelvora-writers.lock");
#endif
    return names;
}

} // namespace

// Runs only as a child of the tests below.
TEST(StoreWriterProcess, DISABLED_Run)
{
    const QStringList job = qEnvironmentVariable("NELVORA_STORE_WRITER").split('|');
    ASSERT_GE(job.size(), 2);
    for (int i = 0; job[0] != "keys" || i < job[3].toInt(); ++i) {
        if (job[0] == "keys")
            WriteProfileString(job[1], "S", job[2] + QString::number(i), QString::number(i));
        else
            WriteProfileString(job[1], "T", "v", QString::number(i + 1));
    }
}

TEST_F(StoreTest, TwoWritersLoseNoKey)
{
#ifdef _WIN32
    // A locked replace costs tens of milliseconds under Wine; a few hundred writes of each
    // still interleave many times over.
    const int count = 300;
#else
    const int count = 2000;
#endif
    const QString path = File("shared.ini");
    auto a = StartWriter(QString("keys|%1|A|%2").arg(path).arg(count));
    auto b = StartWriter(QString("keys|%1|B|%2").arg(path).arg(count));
    std::map<char, int> seen;
    int checks = 0;
    auto running = [](QProcess& p) { return !p.waitForFinished(0) && p.state() != QProcess::NotRunning; };
    while (running(*a) || running(*b)) {
        CheckKeysFile(ReadAll(path), seen);
        if (HasFatalFailure())
            break;
        if (seen['A'] > 0) {
            ASSERT_EQ(ReadProfileString(path, "S", "A0", "lost"), "0");
        }
        ++checks;
    }
    a->waitForFinished(60000);
    b->waitForFinished(60000);
    EXPECT_EQ(a->exitCode() + b->exitCode(), 0);
    EXPECT_GT(checks, 20) << "the reader hardly ran beside the writers";
    CheckKeysFile(ReadAll(path), seen);
    EXPECT_EQ(seen['A'] + seen['B'], 2 * count);
}

TEST_F(StoreTest, KilledWriterLeavesOldOrNewFile)
{
    QByteArray pad = "[Pad]\n";
    for (int i = 0; i < 20000; ++i)
        pad += "p" + QByteArray::number(i) + "=" + QByteArray(24, 'x') + "\n";
    const QString path = File("t.ini");
    WriteAll(path, "[T]\nv=0\n" + pad);
    std::mt19937 rng(5);
    for (int round = 0; round < 10; ++round) {
        auto writer = StartWriter("count|" + path);
        QElapsedTimer started;
        started.start();
        while (ReadAll(path).startsWith("[T]\nv=0\n") && started.elapsed() < 20000)
            QThread::msleep(1);
        QThread::msleep(rng() % 40);
        writer->kill(); // SIGKILL, in the middle of some write
        ASSERT_TRUE(writer->waitForFinished(10000));

        const QByteArray bytes = ReadAll(path);
        const qsizetype eol = bytes.indexOf('\n', 6);
        ASSERT_TRUE(bytes.startsWith("[T]\nv=") && bytes.mid(6, eol - 6).toInt() > 0 && bytes.mid(eol + 1) == pad)
            << "round " << round << ": " << bytes.size() << " bytes, " << bytes.left(20).constData();
        EXPECT_EQ(ReminderFolderEntries(env.Folder()), QStringList{"t.ini"});

        // Whatever the killed writer held must not block the next one.
        QElapsedTimer next;
        next.start();
        WriteProfileString(path, "T", "v", "0");
        EXPECT_LT(next.elapsed(), 5000);
    }
    // Temporary files of the killed writers go once they are old.
    for (const QString& name : QDir(env.Folder()).entryList({".t.ini.tmp-*"}, QDir::Files | QDir::Hidden))
        SetAge(File(name), 3600);
    WriteProfileString(path, "T", "v", "1");
    EXPECT_EQ(FolderContent(env.Folder()), QStringList{"t.ini"});
}

TEST_F(StoreTest, OnlyStaleTemporariesAreRemoved)
{
    const QStringList stale = {".r.ini.tmp-Ab12Cd", ".Old.INI.tmp-zz_zz9", ".Caf\u00e9.ini.tmp-000000"};
    const QStringList kept = {".r.ini.tmp-Young1", ".r.ini.tmp-Locked", ".notes.txt.tmp-abcdef", ".r.ini.tmp-short",
                              "r.ini.tmp-abcdef", ".r.ini.tmp-abcdefg", ".r.ini"};
    for (const QString& name : stale + kept) {
        WriteAll(File(name), "x");
        SetAge(File(name), name.contains("Young") ? 60 : 3600);
    }
    QDir().mkdir(File(".d.ini.tmp-folder"));
    SetAge(File(".d.ini.tmp-folder"), 3600);
    // A writer that still holds its file, whatever its age, keeps it: on Windows it holds
    // it open and lets no one delete it, on Linux it locks it.
#ifdef _WIN32
    const HANDLE locked = CreateFileW(reinterpret_cast<const wchar_t*>(File(".r.ini.tmp-Locked").utf16()),
                                      GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
#else
    QFile locked(File(".r.ini.tmp-Locked"));
    ASSERT_TRUE(locked.open(QIODevice::ReadOnly));
    ASSERT_EQ(flock(locked.handle(), LOCK_EX | LOCK_NB), 0);
#endif

    WriteProfileString(File("r.ini"), "A", "k", "1");
    QStringList expected = kept + QStringList{".d.ini.tmp-folder", "r.ini"};
    expected.sort();
    EXPECT_EQ(FolderContent(env.Folder()), expected);
#ifdef _WIN32
    CloseHandle(locked);
#endif
}
