// The start-at-log-in entry: its text must survive any folder name, and the disable
// flow's three outcomes must be told apart.

#include "folder.h"
#include "folders.h"
#include "linux/xdg_autostart.h"
#include "tempenv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utility>

namespace {

// The desktop's own, over the XDG folders each test points at a temporary folder.
XdgAutostart autostart;

QString KeyValue(const QByteArray& entry, const QByteArray& key)
{
    for (const QByteArray& line : entry.split('\n'))
        if (line.startsWith(key + '='))
            return QString::fromUtf8(line.mid(key.size() + 1));
    return {};
}

QString ExecValue(const QByteArray& entry) { return KeyValue(entry, "Exec"); }

// A plain string value: only the backslash escapes apply.
QString StringValue(const QString& value)
{
    QString out;
    for (int i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('\\') && i + 1 < value.size())
            ++i;
        out += value[i];
    }
    return out;
}

// Reads the program back the way a desktop reads an Exec key: first the string escapes
// of the value, then the field-code and quoting rules of the command line.
QString ProgramFromExec(const QString& value)
{
    QString unescaped;
    for (int i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar next = value[++i];
            if (next == QLatin1Char('s'))
                unescaped += QLatin1Char(' ');
            else if (next == QLatin1Char('n'))
                unescaped += QLatin1Char('\n');
            else if (next == QLatin1Char('t'))
                unescaped += QLatin1Char('\t');
            else if (next == QLatin1Char('r'))
                unescaped += QLatin1Char('\r');
            else if (next == QLatin1Char('\\'))
                unescaped += QLatin1Char('\\');
            else
                unescaped += QLatin1Char('\\') + QString(next);
        } else {
            unescaped += value[i];
        }
    }
    if (!unescaped.startsWith(QLatin1Char('"')) || !unescaped.endsWith(QLatin1Char('"')))
        return QStringLiteral("<not quoted>");
    QString program;
    for (int i = 1; i < unescaped.size() - 1; ++i) {
        const QChar c = unescaped[i];
        if (c == QLatin1Char('\\') && i + 1 < unescaped.size() - 1) {
            program += unescaped[++i];
        } else if (c == QLatin1Char('%')) {
            if (i + 1 < unescaped.size() - 1 && unescaped[i + 1] == QLatin1Char('%'))
                ++i;
            else
                return QStringLiteral("<field code>");
            program += QLatin1Char('%');
        } else if (c == QLatin1Char('"')) {
            return QStringLiteral("<quote ends early>");
        } else {
            program += c;
        }
    }
    return program;
}

const QStringList& AwkwardPaths()
{
    static const QStringList paths = {
        QStringLiteral("/usr/local/bin/Velmaro"),
        QStringLiteral("/opt/My Reminders/bin/Velmaro"),
        QStringLiteral("/home/ann/\"quoted\" dir/Velmaro"),
        QStringLiteral("/home/ann/$HOME and ${PATH}/Velmaro"),
        QStringLiteral("/home/ann/100% sure/%f %u/Velmaro"),
        QStringLiteral("/home/ann/back\\slash/`tick`/it's/Velmaro"),
        QStringLiteral("/home/zo\u00eb/\u65e5\u672c/Velmaro"),
        QStringLiteral("/tmp/a;b&c|d<e>f*g?h#i(j)k~/Velmaro"),
    };
    return paths;
}

} // namespace

TEST(AutostartEntry, ExecReadsBackAsTheExactProgramPath)
{
    for (const QString& path : AwkwardPaths()) {
        const QByteArray entry = AutostartEntryText(path);
        EXPECT_EQ(ProgramFromExec(ExecValue(entry)), path) << entry.toStdString();
        EXPECT_EQ(StringValue(KeyValue(entry, "TryExec")), path) << entry.toStdString();
        EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
        EXPECT_TRUE(entry.contains("\nType=Application\n"));
        EXPECT_TRUE(entry.contains("\nName=Nelvora\n"));
    }
}

TEST(AutostartEntry, PassesDesktopFileValidate)
{
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("Nelvora.desktop"));
    for (const QString& path : AwkwardPaths()) {
        WriteAll(file, AutostartEntryText(path));
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(validator, {file});
        ASSERT_TRUE(validate.waitForFinished(10000));
        const QString output = QString::fromUtf8(validate.readAll());
        EXPECT_EQ(validate.exitCode(), 0) << path.toStdString() << "\n" << output.toStdString();
        EXPECT_FALSE(output.contains(QStringLiteral("error"), Qt::CaseInsensitive))
            << path.toStdString() << "\n" << output.toStdString();
    }
}

TEST(AutostartEntry, WriteStateAndRemove)
{
    TempXdg xdg;
    const QString entry = xdg.ConfigHome() + QStringLiteral("/autostart/Nelvora.desktop");
    EXPECT_EQ(autostart.EntryPath(), entry);
    // Reading the state may create the folder, as opening the key would.
    EXPECT_EQ(autostart.State(), AutostartState::Absent);

    const auto written = [](const QByteArray& tryExec, const QByteArray& exec) {
        return "[Desktop Entry]\nType=Application\nName=Nelvora\n"
               "Comment=Nelvora and Reminder: fires your reminders\nTryExec=" + tryExec +
               "\nExec=" + exec + "\nIcon=nelvora\nTerminal=false\nX-GNOME-Autostart-enabled=true\n";
    };
    ASSERT_TRUE(autostart.SetRunAtStartup(QStringLiteral("/opt/nel vora/Velmaro")));
    EXPECT_EQ(ReadAll(entry), written("/opt/nel vora/Velmaro", "\"/opt/nel vora/Velmaro\""));
    EXPECT_EQ(autostart.State(), AutostartState::Present);

    // Writing again replaces the entry rather than adding to it.
    ASSERT_TRUE(autostart.SetRunAtStartup(QStringLiteral("/usr/bin/Velmaro")));
    EXPECT_EQ(ReadAll(entry), written("/usr/bin/Velmaro", "\"/usr/bin/Velmaro\""));

    EXPECT_TRUE(autostart.Remove());
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_EQ(autostart.State(), AutostartState::Absent);
    // Nothing there to remove is not a failure.
    EXPECT_TRUE(autostart.Remove());
}

TEST(AutostartEntry, LineBreakInPathIsRefused)
{
    TempXdg xdg;
    EXPECT_FALSE(autostart.SetRunAtStartup(QStringLiteral("/tmp/x\nExec=/bin/evil")));
    EXPECT_FALSE(autostart.SetRunAtStartup(QStringLiteral("/tmp/x\rExec=/bin/evil")));
    EXPECT_FALSE(QFile::exists(autostart.EntryPath()));
}

TEST(AutostartEntry, FolderThatCannotExistIsUnavailable)
{
    TempXdg xdg;
    ASSERT_TRUE(QDir().mkpath(xdg.ConfigHome()));
    // A plain file where the folder should be: the folder can neither exist nor be made.
    WriteAll(xdg.ConfigHome() + QStringLiteral("/autostart"), "not a folder");
    EXPECT_EQ(autostart.State(), AutostartState::Unavailable);
    EXPECT_FALSE(autostart.SetRunAtStartup(QStringLiteral("/usr/bin/Velmaro")));
}

TEST(AutostartEntry, EntryThatCannotBeDeletedReportsFailure)
{
    TempXdg xdg;
    // A non-empty folder by the entry's name survives the removal.
    ASSERT_TRUE(QDir().mkpath(autostart.EntryPath() + QStringLiteral("/inside")));
    EXPECT_EQ(autostart.State(), AutostartState::Present);
    EXPECT_FALSE(autostart.Remove());
    EXPECT_EQ(autostart.State(), AutostartState::Present);
}

namespace {

mode_t ModeOf(const QString& path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// A first start in a new account: only HOME is set, nothing under it exists yet, and
// the umask lets everyone write.
class FreshHome {
public:
    FreshHome()
        : oldHome_(qgetenv("HOME")), oldData_(qgetenv("XDG_DATA_HOME")),
          oldConfig_(qgetenv("XDG_CONFIG_HOME")), oldUmask_(::umask(0))
    {
        qputenv("HOME", QFile::encodeName(Home()));
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_CONFIG_HOME");
    }
    ~FreshHome()
    {
        ::umask(oldUmask_);
        qputenv("HOME", oldHome_);
        for (const auto& [name, value] : {std::pair{"XDG_DATA_HOME", oldData_},
                                          std::pair{"XDG_CONFIG_HOME", oldConfig_}}) {
            if (value.isEmpty())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
    }
    QString Home() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QByteArray oldHome_, oldData_, oldConfig_;
    mode_t oldUmask_;
};

} // namespace

TEST(PrivateFolders, FreshStartUnderUmask000MakesEverythingOwnerOnly)
{
    FreshHome fresh;
    const QString home = fresh.Home();
    ASSERT_EQ(::chmod(QFile::encodeName(home).constData(), 0755), 0);
    ASSERT_TRUE(InitReminderFolder(*MakeDesktopFolders()));
    ASSERT_TRUE(autostart.SetRunAtStartup(QStringLiteral("/usr/bin/Velmaro")));
    for (const char* folder : {"/.local", "/.local/share", "/.local/share/Velmaro", "/.config",
                               "/.config/autostart"})
        EXPECT_EQ(ModeOf(home + QLatin1String(folder)), 0700u) << folder;
    const QString entry = home + QStringLiteral("/.config/autostart/Nelvora.desktop");
    EXPECT_EQ(ModeOf(entry), 0644u);
    // What was there before is the user's: the home folder keeps its mode.
    EXPECT_EQ(ModeOf(home), 0755u);

    // An entry left writable by others (an older version, a hand edit) is closed when
    // it is written again.
    ASSERT_EQ(::chmod(QFile::encodeName(entry).constData(), 0666), 0);
    ASSERT_TRUE(autostart.SetRunAtStartup(QStringLiteral("/usr/bin/Velmaro")));
    EXPECT_EQ(ModeOf(entry), 0644u);
}

TEST(PrivateFolders, DisableFlowLookMakesTheAutostartFolderPrivate)
{
    FreshHome fresh;
    EXPECT_EQ(autostart.State(), AutostartState::Absent);
    EXPECT_EQ(ModeOf(fresh.Home() + QStringLiteral("/.config")), 0700u);
    EXPECT_EQ(ModeOf(fresh.Home() + QStringLiteral("/.config/autostart")), 0700u);
}
