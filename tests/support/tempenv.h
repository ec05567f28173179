#pragma once
// Points XDG_DATA_HOME, XDG_CONFIG_HOME and XDG_STATE_HOME at a fresh temporary folder for
// one test and restores them afterwards.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class TempXdg {
public:
    TempXdg();
    ~TempXdg();
    TempXdg(const TempXdg&) = delete;
    TempXdg& operator=(const TempXdg&) = delete;

    QString Root() const { return dir_.path(); }
    QString DataHome() const { return dir_.path() + QStringLiteral("/data"); }
    QString ConfigHome() const { return dir_.path() + QStringLiteral("/config"); }
    QString StateHome() const { return dir_.path() + QStringLiteral("/state"); }
    // DataHome() + "/Velmaro": where InitReminderFolder puts the reminders.
    QString Folder() const { return DataHome() + QStringLiteral("/Velmaro"); }

private:
    QTemporaryDir dir_;
    QByteArray oldData_, oldConfig_, oldState_;
    bool hadData_, hadConfig_, hadState_;
};

// Whole-file helpers for tests.
QByteArray ReadAll(const QString& path);
void WriteAll(const QString& path, const QByteArray& bytes);
