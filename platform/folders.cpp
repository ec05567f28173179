#include "folders.h"

#include <QCoreApplication>
#include <QDir>

#include <pwd.h>
#include <unistd.h>

namespace {

QString HomeFolder()
{
    const QString home = qEnvironmentVariable("HOME");
    if (!home.isEmpty())
        return home;
    // Without HOME (a stripped environment at log-in) the password database still knows.
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return QString::fromLocal8Bit(pw->pw_dir);
    return QDir::homePath();
}

QString XdgFolder(const char* variable, const char* fallbackUnderHome)
{
    const QString value = qEnvironmentVariable(variable);
    // Relative values are invalid under the XDG rules and must be ignored.
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::cleanPath(HomeFolder() + QLatin1Char('/') + QLatin1String(fallbackUnderHome));
}

} // namespace

QString DataHome() { return XdgFolder("XDG_DATA_HOME", ".local/share"); }

QString ConfigHome() { return XdgFolder("XDG_CONFIG_HOME", ".config"); }

QString StateHome() { return XdgFolder("XDG_STATE_HOME", ".local/state"); }

QString ProgramFolder()
{
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}
