#pragma once
// The editor's main window: the reminder list, the summary of the selected reminder,
// deletion, and the way to help, support, downloads and the About window.

#include <QString>
#include <QWidget>

#include <functional>

class IAutostart;
class IClock;
class IMessages;
class IShell;
class ISpecialFolders;
class QCloseEvent;
class QFrame;
class QLabel;
class QListWidget;
class QPaintEvent;
class QPushButton;
class TFrmWhen;
class TFrmWhatType;
enum class ResidentPresence;

// The maker's addresses (reserved example domain).
extern const char* const kSupportAddress;
extern const char* const kDownloadsAddress;
// Modify and Delete on an empty list.
extern const char* const kEmptyListText;

// What the window reaches outside itself; tests replace every part.
struct FrmFirstEnv {
    IMessages& messages;
    IShell& shell;
    IClock& clock; // the save moment of the create and modify flows
    std::function<ResidentPresence()> residentPresence;
    // The reminder folder's parent, and the folder of the scheduler, the help and the
    // downloads page.
    const ISpecialFolders& folders;
    // Where the scheduler is registered to start at log-in.
    IAutostart& autostart;
};

class TFrmFirst : public QWidget {
    Q_OBJECT
public:
    // Builds the window and runs FormCreate; boxes of the start-up show before it.
    explicit TFrmFirst(FrmFirstEnv env, QWidget* parent = nullptr);
    ~TFrmFirst() override;

    // The summary of the reminder file at `path`, under the selected entry's name.
    void ShowReminderSummary(const QString& path);
    // The selected entry's text, or empty when nothing is selected.
    QString SelectedName() const;
    // The file the selected entry was listed from, or empty when nothing is selected.
    QString SelectedPath() const;

    // The pages of the create and modify flows, created after this window.
    void SetPages(TFrmWhen* when, TFrmWhatType* whatType);
    // Or `make` creates them (through SetPages) as soon as this window has first been
    // painted, so that they do not hold up its showing, or when a flow needs them sooner.
    void SetPageMaker(std::function<void()> make);

    QLabel* Label9 = nullptr;
    QFrame* Panel4 = nullptr;
    QLabel* Label7 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label6 = nullptr;
    QPushButton* CmdAdd = nullptr;
    QPushButton* CmdModify = nullptr;
    QPushButton* CmdDel = nullptr;
    QPushButton* CmdHelp = nullptr;
    QPushButton* BitBtn8 = nullptr;
    QPushButton* BitBtn9 = nullptr;
    QPushButton* BitBtn5 = nullptr;
    QPushButton* CmdExit = nullptr;

    // The name the running create, modify or delete flow works on.
    QString CurrentReminderName;
    QString ProgramFolder;

public Q_SLOTS:
    void ListBox1Click();
    // Defined with the flows (flows.cpp).
    void CmdAddClick();
    void CmdModifyClick();
    void CmdDelClick();
    void CmdExitClick();
    void CmdHelpClick();
    void BitBtn9Click();
    void BitBtn8Click();
    void BitBtn5Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void BuildControls();
    void FormCreate();
    void FormCloseQuery();
    void ClearSummary();
    void SelectFirst();
    // Appends an entry that shows `name` and stands for the file at `path`.
    void AddEntry(const QString& name, const QString& path);
    // Runs a handler body; an error raised inside it ends the handler with an error box.
    void Guarded(const std::function<void()>& body);
    // Shows the schedule page and then the action page; false when either was left with
    // "Go Back". A create selects the date option first.
    bool RunPages(bool selectDate = true);
    // Whether both pages exist, made first when they are still to be made.
    bool HavePages();

    FrmFirstEnv env_;
    std::function<void()> makePages_;
    TFrmWhen* FrmWhen = nullptr;
    TFrmWhatType* FrmWhatType = nullptr;
};
