#include "linux/xdg_autostart.h"

#include "files.h"
#include "linux/xdg_folders.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>

QString XdgAutostart::Folder() const { return XdgConfigHome() + QStringLiteral("/autostart"); }

QString XdgAutostart::EntryPath() const { return Folder() + QStringLiteral("/Nelvora.desktop"); }

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

bool XdgAutostart::SetRunAtStartup(const QString& residentPath)
{
    // A path with a line break would forge further keys of the entry.
    if (residentPath.contains(QLatin1Char('\n')) || residentPath.contains(QLatin1Char('\r')))
        return false;
    if (!MakePrivateFolders(Folder()))
        return false;
    QSaveFile file(EntryPath());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Whoever may write the entry chooses what runs at the next log-in: owner only,
    // whatever the umask or the mode an older entry had.
    if (::fchmod(file.handle(), 0644) != 0)
        return false;
    file.write(AutostartEntryText(residentPath));
    return file.commit();
}

AutostartState XdgAutostart::State()
{
    const QFileInfo folder(Folder());
    if (!folder.isDir() && !MakePrivateFolders(Folder()))
        return AutostartState::Unavailable;
    return QFileInfo::exists(EntryPath()) ? AutostartState::Present : AutostartState::Absent;
}

bool XdgAutostart::Remove()
{
    QFile::remove(EntryPath());
    return !QFileInfo::exists(EntryPath());
}

std::unique_ptr<IAutostart> MakeDesktopAutostart() { return std::make_unique<XdgAutostart>(); }
