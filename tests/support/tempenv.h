#pragma once
// The special folders of one test, in a fresh temporary folder: handed to the code as
// Folders(), and, for the desktop's own parts that read them and for child processes, in
// XDG_DATA_HOME, XDG_CONFIG_HOME and XDG_STATE_HOME, restored afterwards.

#include "folders.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Special folders that a test sets as it likes.
struct TestFolders : ISpecialFolders {
    QString roamingData;
    QString geometryReadFolder;
    QString geometryWriteFolder;
    QString stateHome;
    QString programFolder;

    QString RoamingData() const override { return roamingData; }
    QString ResidentGeometryReadFolder() const override { return geometryReadFolder; }
    QString ResidentGeometryWriteFolder() const override { return geometryWriteFolder; }
    QString StateHome() const override { return stateHome; }
    QString ProgramFolder() const override { return programFolder; }
};

class TempXdg {
public:
    TempXdg();
    ~TempXdg();
    TempXdg(const TempXdg&) = delete;
    TempXdg& operator=(const TempXdg&) = delete;

    // DataHome(), ConfigHome() for the geometry, StateHome(), and the test program's own
    // folder.
    TestFolders& Folders() { return folders_; }

    QString Root() const { return dir_.path(); }
    QString DataHome() const { return dir_.path() + QStringLiteral("/data"); }
    QString ConfigHome() const { return dir_.path() + QStringLiteral("/config"); }
    QString StateHome() const { return dir_.path() + QStringLiteral("/state"); }
    // DataHome() + "/Velmaro": where InitReminderFolder puts the reminders.
    QString Folder() const { return DataHome() + QStringLiteral("/Velmaro"); }

private:
    QTemporaryDir dir_;
    TestFolders folders_;
    QByteArray oldData_, oldConfig_, oldState_;
    bool hadData_, hadConfig_, hadState_;
};

// Whole-file helpers for tests.
QByteArray ReadAll(const QString& path);
void WriteAll(const QString& path, const QByteArray& bytes);
// The same for a path in the file system's own bytes, which need not be UTF-8 (Qt cannot
// name such a file); "<absent>" when there is none.
QByteArray ReadNative(const QByteArray& path);
void WriteNative(const QByteArray& path, const QByteArray& bytes);
// One key written as one locked update, as the single-key profile routine writes it.
void WriteProfileString(const QString& path, const QString& section, const QString& key,
                        const QString& value);
