// orsivel: the reminder editor.
#include "frmfirst.h"
#include "frmwhattype.h"
#include "frmwhen.h"
#include "messageprompt.h"

#include "autostart.h"
#include "clock.h"
#include "folders.h"
#include "messages.h"
#include "presence.h"
#include "shell.h"

#include <QApplication>
#include <QIcon>

#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nelvora"));
    QtMessages messages;
    const std::unique_ptr<IShell> shell = MakeDesktopShell();
    SystemClock clock;
    QtFileChooser chooser;
    QtTextPrompt prompt;
    const std::unique_ptr<ISpecialFolders> folders = MakeDesktopFolders();
    const std::unique_ptr<IAutostart> autostart = MakeDesktopAutostart();
    const std::unique_ptr<IPresence> presence = MakeDesktopPresence();
    TFrmFirst FrmFirst(FrmFirstEnv{messages, *shell, clock, [&presence] { return presence->LookForResident(); },
                                   *folders, *autostart});
    QApplication::setWindowIcon(FrmFirst.windowIcon());
    // The two pages are made once, after the main window, and keep their values
    // from one create or modify to the next.
    FrmFirst.SetPageMaker([&] {
        FrmFirst.SetPages(new TFrmWhen(messages, &FrmFirst),
                          new TFrmWhatType(messages, chooser, prompt, &FrmFirst));
    });
    FrmFirst.show();
    return app.exec();
}
