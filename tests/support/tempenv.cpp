#include "tempenv.h"

#include <QDir>
#include <QFile>

TempXdg::TempXdg()
    : oldData_(qgetenv("XDG_DATA_HOME")), oldConfig_(qgetenv("XDG_CONFIG_HOME")),
      oldState_(qgetenv("XDG_STATE_HOME")),
      hadData_(qEnvironmentVariableIsSet("XDG_DATA_HOME")),
      hadConfig_(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")),
      hadState_(qEnvironmentVariableIsSet("XDG_STATE_HOME"))
{
    QDir().mkpath(DataHome());
    QDir().mkpath(ConfigHome());
    qputenv("XDG_DATA_HOME", DataHome().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", ConfigHome().toLocal8Bit());
    // Not made: the programs make it, private, when they need it.
    qputenv("XDG_STATE_HOME", StateHome().toLocal8Bit());
}

TempXdg::~TempXdg()
{
    if (hadData_)
        qputenv("XDG_DATA_HOME", oldData_);
    else
        qunsetenv("XDG_DATA_HOME");
    if (hadConfig_)
        qputenv("XDG_CONFIG_HOME", oldConfig_);
    else
        qunsetenv("XDG_CONFIG_HOME");
    if (hadState_)
        qputenv("XDG_STATE_HOME", oldState_);
    else
        qunsetenv("XDG_STATE_HOME");
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}
