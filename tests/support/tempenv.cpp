#include "tempenv.h"

#include "profile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

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
    folders_.roamingData = DataHome();
    folders_.geometryReadFolder = ConfigHome();
    folders_.geometryWriteFolder = ConfigHome();
    folders_.stateHome = StateHome();
    folders_.programFolder = QCoreApplication::applicationDirPath() + QLatin1Char('/');
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

QByteArray ReadNative(const QByteArray& path)
{
    std::FILE* file = std::fopen(path.constData(), "rb");
    if (!file)
        return "<absent>";
    QByteArray bytes;
    char buffer[4096];
    while (const size_t got = std::fread(buffer, 1, sizeof buffer, file))
        bytes.append(buffer, qsizetype(got));
    std::fclose(file);
    return bytes;
}

void WriteNative(const QByteArray& path, const QByteArray& bytes)
{
    if (std::FILE* file = std::fopen(path.constData(), "wb")) {
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file);
        std::fclose(file);
    }
}

void WriteProfileString(const QString& path, const QString& section, const QString& key,
                        const QString& value)
{
    WriteProfileStrings(path, {{section, key, value}});
}
