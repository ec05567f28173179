#include "autostart.h"

#include "files.h"
#include "linux/xdg_folders.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>

QString AutostartFolder() { return XdgConfigHome() + QStringLiteral("/autostart"); }

QString AutostartEntryPath() { return AutostartFolder() + QStringLiteral("/Nelvora.desktop"); }

namespace {

// Exec= takes the program as a quoted argument: inside the quotes ", `, $ and \ are
// escaped with a backslash, and the whole value is then escaped once more as a
// desktop-entry string (\ becomes \\); % is doubled since it introduces field codes.
QString QuotedExecArgument(const QString& path)
{
    QString quoted;
    for (const QChar c : path) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return quoted;
}

} // namespace

QByteArray AutostartEntryText(const QString& residentPath)
{
    QString text;
    text += QStringLiteral("[Desktop Entry]\n");
    text += QStringLiteral("Type=Application\n");
    text += QStringLiteral("Name=Nelvora\n");
    text += QStringLiteral("Comment=Nelvora and Reminder: fires your reminders\n");
    // After an uninstall the entry stays behind; TryExec lets the desktop skip it quietly.
    text += QStringLiteral("TryExec=") + QString(residentPath).replace(QLatin1Char('\\'), QStringLiteral("\\\\")) + QLatin1Char('\n');
    text += QStringLiteral("Exec=") + QuotedExecArgument(residentPath) + QLatin1Char('\n');
    text += QStringLiteral("Icon=nelvora\n");
    text += QStringLiteral("Terminal=false\n");
    text += QStringLiteral("X-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

bool SetRunAtStartup(const QString& residentPath)
{
    // A path with a line break would forge further keys of the entry.
    if (residentPath.contains(QLatin1Char('\n')) || residentPath.contains(QLatin1Char('\r')))
        return false;
    if (!MakePrivateFolders(AutostartFolder()))
        return false;
    QSaveFile file(AutostartEntryPath());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Whoever may write the entry chooses what runs at the next log-in: owner only,
    // whatever the umask or the mode an older entry had.
    if (::fchmod(file.handle(), 0644) != 0)
        return false;
    file.write(AutostartEntryText(residentPath));
    return file.commit();
}

AutostartState ReadAutostartState()
{
    const QFileInfo folder(AutostartFolder());
    if (!folder.isDir() && !MakePrivateFolders(AutostartFolder()))
        return AutostartState::FolderUnavailable;
    return QFileInfo::exists(AutostartEntryPath()) ? AutostartState::Present
                                                   : AutostartState::Absent;
}

bool RemoveAutostartEntry()
{
    QFile::remove(AutostartEntryPath());
    return !QFileInfo::exists(AutostartEntryPath());
}
