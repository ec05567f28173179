#include "folders.h"
#include "linux/xdg_folders.h"

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

QString XdgDataHome() { return XdgFolder("XDG_DATA_HOME", ".local/share"); }

QString XdgConfigHome() { return XdgFolder("XDG_CONFIG_HOME", ".config"); }

QString XdgStateHome() { return XdgFolder("XDG_STATE_HOME", ".local/state"); }

namespace {

// Read afresh at every call, as the environment says at that moment.
class XdgFolders : public ISpecialFolders {
public:
    QString RoamingData() const override { return XdgDataHome(); }
    QString ResidentGeometryReadFolder() const override { return XdgConfigHome(); }
    QString ResidentGeometryWriteFolder() const override { return XdgConfigHome(); }
    QString StateHome() const override { return XdgStateHome(); }
    QString ProgramFolder() const override
    {
        QString dir = QCoreApplication::applicationDirPath();
        if (!dir.endsWith(QLatin1Char('/')))
            dir += QLatin1Char('/');
        return dir;
    }
};

} // namespace

std::unique_ptr<ISpecialFolders> MakeDesktopFolders() { return std::make_unique<XdgFolders>(); }

QString ExecutableName(const QString& program) { return program; }
