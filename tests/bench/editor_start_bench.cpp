// The editor's start as the program makes it, ended as soon as its main window has
// painted once, so a whole-process timing reads "start to window shown". The reminders
// are whatever lies in $XDG_DATA_HOME/Velmaro.
//   bench_editor_start PROGRAM-FOLDER
// PROGRAM-FOLDER holds a file "Velmaro"; the resident program counts as running, as it
// does after log-in, so nothing is started.
#include "autostart.h"
#include "clock.h"
#include "firstpaint.h"
#include "folders.h"
#include "frmfirst.h"
#include "frmwhattype.h"
#include "frmwhen.h"
#include "messageprompt.h"
#include "messages.h"
#include "presence.h"
#include "shell.h"

#include <QApplication>
#include <QListWidget>

#include <cstdio>
#include <memory>
#include <utility>

namespace {

// The desktop's folders, with the programs looked for where the caller says.
class ProgramsIn : public ISpecialFolders {
public:
    explicit ProgramsIn(QString folder) : folder_(std::move(folder)) {}
    QString RoamingData() const override { return desktop_->RoamingData(); }
    QString ResidentGeometryReadFolder() const override { return desktop_->ResidentGeometryReadFolder(); }
    QString ResidentGeometryWriteFolder() const override { return desktop_->ResidentGeometryWriteFolder(); }
    QString StateHome() const override { return desktop_->StateHome(); }
    QString ProgramFolder() const override { return folder_; }

private:
    std::unique_ptr<ISpecialFolders> desktop_ = MakeDesktopFolders();
    QString folder_;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PROGRAM-FOLDER\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nelvora"));
    QtMessages messages;
    const std::unique_ptr<IShell> shell = MakeDesktopShell();
    SystemClock clock;
    QtFileChooser chooser;
    QtTextPrompt prompt;
    QString folder = QString::fromLocal8Bit(argv[1]);
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    const ProgramsIn folders(folder);
    const std::unique_ptr<IAutostart> autostart = MakeDesktopAutostart();
    TFrmFirst FrmFirst(FrmFirstEnv{messages, *shell, clock, [] { return ResidentPresence::Running; }, folders,
                                   *autostart});
    QApplication::setWindowIcon(FrmFirst.windowIcon());
    FrmFirst.SetPageMaker([&] {
        FrmFirst.SetPages(new TFrmWhen(messages, &FrmFirst),
                          new TFrmWhatType(messages, chooser, prompt, &FrmFirst));
    });
    const int result = RunUntilFirstPaint(app, FrmFirst);
    std::printf("%d reminders listed\n", FrmFirst.ListBox1->count());
    return result;
}
