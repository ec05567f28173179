// Velmaro: the resident scheduler. No visible window; a tray icon and a minute timer.

#include "autostart.h"
#include "clock.h"
#include "folders.h"
#include "form1.h"
#include "messages.h"
#include "presence.h"
#include "shell.h"
#include "speech_qt.h"

#include <QApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void OnEndSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    // Only async-signal-safe work here; the event loop does the rest.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
    errno = saved;
}

// Log-out (SIGHUP), kill (SIGTERM) and Ctrl+C (SIGINT) end the program through its
// normal close, so the tray icon goes with it instead of lingering in the tray.
void WatchEndSignals(TForm1& form)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, &form);
    QObject::connect(notifier, &QSocketNotifier::activated, &form, [&form, notifier] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(signalPipe[1], &byte, 1);
        notifier->setEnabled(false);
        form.TrayIcon()->hide();
        form.close();
    });
    struct sigaction action = {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &action, nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kProgramTitle));
    // The main window is never shown: closing a message box must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);

    SystemClock clock;
    QtMessages messages;
    LinuxShell shell;
    QtSpeech speech;
    const std::unique_ptr<ISpecialFolders> folders = MakeDesktopFolders();
    const std::unique_ptr<IAutostart> autostart = MakeDesktopAutostart();
    const std::unique_ptr<IPresence> presence = MakeDesktopPresence();
    TForm1 Form1(Form1Env{clock, messages, shell, speech, *folders, *autostart, *presence});
    QObject::connect(&Form1, &TForm1::Closed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    WatchEndSignals(Form1);
    return app.exec();
}
