// Velmaro: the resident scheduler. No visible window; a tray icon and a minute timer.

#include "autostart.h"
#include "clock.h"
#include "folders.h"
#include "form1.h"
#include "messages.h"
#include "presence.h"
#include "session.h"
#include "shell.h"
#include "speech.h"

#include <QApplication>

#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kProgramTitle));
    // The main window is never shown: closing a message box must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);

    TakeStartShowState();
    SystemClock clock;
    QtMessages messages;
    const std::unique_ptr<IShell> shell = MakeDesktopShell();
    const std::unique_ptr<ISpeech> speech = MakeDesktopSpeech();
    const std::unique_ptr<ISpecialFolders> folders = MakeDesktopFolders();
    const std::unique_ptr<IAutostart> autostart = MakeDesktopAutostart();
    const std::unique_ptr<IPresence> presence = MakeDesktopPresence();
    TForm1 Form1(Form1Env{clock, messages, *shell, *speech, *folders, *autostart, *presence});
    QObject::connect(&Form1, &TForm1::Closed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // Log-out, shutdown, a kill or the installer end the program through its normal close,
    // so the tray icon goes with it instead of lingering in the tray.
    WatchEndOfSession(&Form1, [&Form1] { Form1.CloseOnRequest(); });
    return app.exec();
}
