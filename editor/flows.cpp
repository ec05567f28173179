// The create and modify flows of the main window: name, schedule page, action page, save.
#include "frmfirst.h"

#include "actionchecks.h"
#include "clock.h"
#include "frmname.h"
#include "frmwhattype.h"
#include "frmwhen.h"
#include "messages.h"
#include "profile.h"
#include "reminder.h"
#include "shell.h"

#include <QLineEdit>
#include <QListWidget>

namespace {

const char* const kNoNameText =
    "You did not enter any name for your new reminder. To create a new reminder, simply enter "
    "any name you wish to call it.";

} // namespace

void TFrmFirst::CmdAddClick()
{
    Guarded([this] {
        // The name dialog lives for this one flow and goes however the flow ends.
        TFrmName FrmName(env_.messages, this);
        FrmName.exec();
        const QString name = FrmName.Edit1->text();
        // Closed by its close box, the dialog let a refused name through: it would name a
        // file outside the reminder folder, and the user is told why it is not taken.
        if (NameRefused(name)) {
            env_.messages.Notice(QString::fromLatin1(kNameRefusedText));
            return;
        }
        if (IsBlankText(name)) {
            env_.messages.Notice(QString::fromLatin1(kNoNameText));
            return;
        }
        CurrentReminderName = name;
        const QString path = ReminderFileName(name);
        const auto tellTaken = [this, &name] {
            env_.messages.Notice(QStringLiteral("This name (") + name +
                                 QStringLiteral(") already exists in your list.  Choose a new "
                                                "name, or use the modify button to change an "
                                                "already existing name."));
        };
        // The list compares names exactly; the file system may not (Windows ignores case),
        // and another program may have made the file since the list was read.
        bool taken = env_.shell.FileExists(path);
        for (int i = 0; i < ListBox1->count() && !taken; ++i)
            taken = ListBox1->item(i)->text() == name;
        if (taken) {
            tellTaken();
            return;
        }
        if (!RunPages())
            return;
        TReminder reminder;
        reminder.Name = name;
        FrmWhen->FillReminder(reminder);
        FrmWhatType->FillReminder(reminder);
        // A typed name is spelt in UTF-8. Text that is not valid UTF-16 has no spelling, and
        // taken for a listed name's bytes it would reach another reminder's file.
        if (!name.isValidUtf16())
            throw UnableToWrite(path);
        if (!SaveReminder(path, reminder, env_.clock.Now(), ProfileFile::New)) {
            tellTaken();
            return;
        }

        AddEntry(name, path);
        ListBox1->setCurrentRow(ListBox1->count() - 1);
        env_.messages.Notice(QStringLiteral("New reminder (") + name +
                             QStringLiteral(") was successfully created. It will now show in "
                                            "your list."));
        ShowReminderSummary(SelectedPath());
    });
}

void TFrmFirst::CmdModifyClick()
{
    Guarded([this] {
        if (ListBox1->count() == 0 || SelectedName().isNull()) {
            env_.messages.Notice(QString::fromLatin1(kEmptyListText));
            return;
        }
        CurrentReminderName = SelectedName();
        const QString path = SelectedPath();
        if (!HavePages())
            return;
        FrmWhen->BackChosen = false;
        const TReminder loaded = LoadReminder(path);
        FrmWhen->ApplyReminder(loaded);
        FrmWhatType->ApplyReminder(loaded);
        if (!RunPages(/*selectDate=*/false))
            return;
        TReminder reminder;
        reminder.Name = CurrentReminderName;
        FrmWhen->FillReminder(reminder);
        FrmWhatType->FillReminder(reminder);
        SaveReminder(path, reminder, env_.clock.Now());
        env_.messages.Notice(CurrentReminderName + QStringLiteral(" has been successfully updated."));
        ShowReminderSummary(path);
    });
}

bool TFrmFirst::RunPages(bool selectDate)
{
    if (!HavePages())
        return false;
    FrmWhen->BackChosen = false;
    if (selectDate)
        FrmWhen->SelectDate();
    FrmWhen->exec();
    // Only "Go Back" abandons the edit; the close box goes on as the forward button does.
    if (FrmWhen->BackChosen)
        return false;
    FrmWhatType->BackChosen = false;
    FrmWhatType->exec();
    return !FrmWhatType->BackChosen;
}
