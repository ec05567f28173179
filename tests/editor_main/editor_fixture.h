#pragma once
// A main window over temporary folders and fakes of the desktop.

#include "fakes.h"
#include "frmfirst.h"
#include "presence.h"
#include "tempenv.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <memory>

struct EditorFixture {
    TempXdg xdg;
    QTemporaryDir programDir;
    FakeMessages messages;
    FakeShell shell;
    FakeClock clock;
    FakeAutostart autostart;
    bool residentRunning = false;
    bool presenceUnknown = false;
    int presenceChecks = 0;

    EditorFixture()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        xdg.Folders().programFolder = ProgramFolder();
    }

    QString ProgramFolder() const { return programDir.path() + QLatin1Char('/'); }
#ifdef Q_OS_WIN
    QString ResidentPath() const { return ProgramFolder() + QStringLiteral("Velmaro.exe"); }
#else
    QString ResidentPath() const { return ProgramFolder() + QStringLiteral("Velmaro"); }
#endif
    void PutResident() const { WriteAll(ResidentPath(), "x"); }
    void PutProgramFile(const QString& name) const
    {
        WriteAll(ProgramFolder() + name, "x");
    }
    void PutReminder(const QString& name, const QByteArray& text) const
    {
        QDir().mkpath(xdg.Folder());
        WriteAll(xdg.Folder() + QLatin1Char('/') + name + QStringLiteral(".ini"), text);
    }

    std::unique_ptr<TFrmFirst> Start()
    {
        FrmFirstEnv env{messages, shell, clock,
                        [this] {
                            ++presenceChecks;
                            if (presenceUnknown)
                                return ResidentPresence::Unknown;
                            return residentRunning ? ResidentPresence::Running
                                                   : ResidentPresence::NotRunning;
                        },
                        xdg.Folders(), autostart};
        auto window = std::make_unique<TFrmFirst>(std::move(env));
        window->show();
        return window;
    }
};
