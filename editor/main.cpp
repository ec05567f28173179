// orsivel: the reminder editor.
#include "frmfirst.h"

#include "clock.h"
#include "messages.h"
#include "shell.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nelvora"));
    QtMessages messages;
    LinuxShell shell;
    SystemClock clock;
    TFrmFirst FrmFirst(DefaultFrmFirstEnv(messages, shell, clock));
    QApplication::setWindowIcon(FrmFirst.windowIcon());
    FrmFirst.show();
    return app.exec();
}
