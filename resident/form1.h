#pragma once
// The resident program's hidden main window: owns the minute timer, the tray icon and
// its two menus, starts the editor and runs the "Disable Nelvora" flow.

#include <QString>
#include <QSystemTrayIcon>
#include <QWidget>

class IAutostart;
class IClock;
class IMessages;
class IShell;
class ISpecialFolders;
class IPresence;
class ISpeech;
class QAction;
class QMenu;
class QTimer;
class ResidentScheduler;

extern const char* const kTrayTip;
extern const char* const kEditorMissingNotice;
extern const char* const kDisableKeepStartQuestion;
extern const char* const kNothingToRemoveInformation;
extern const char* const kRemovedFromStartupInformation;
extern const char* const kNotRemovedInformation;
extern const char* const kDisableTrayQuestion;

// The tray icon from the program's own pictures (tests pass a name pattern of their own);
// never a blank icon: without the pictures a plain drawn mark stands in, so the menus
// still have a place in the tray.
QIcon NelvoraIcon(const QString& pictures = QStringLiteral(":/icons/nelvora-%1.png"));

// What the window reaches outside itself; tests replace every part.
struct Form1Env {
    IClock& clock;
    IMessages& messages;
    IShell& shell;
    ISpeech& speech;
    // The reminder folder's parent, the geometry file, the state folder and the folder
    // the editor is started from.
    const ISpecialFolders& folders;
    // The registration "Disable Nelvora" removes.
    IAutostart& autostart;
    // Held while the window lives, so the editor sees the scheduler run.
    IPresence& presence;
};

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(Form1Env env, QWidget* parent = nullptr);
    ~TForm1() override;

    const QString& ProgramFolder() const { return programFolder_; }
    QTimer* Timer1() const { return timer1_; }
    QMenu* PopupMenu1() const { return popupMenu1_; }
    QMenu* PopupMenu2() const { return popupMenu2_; }
    QSystemTrayIcon* TrayIcon() const { return trayIcon_; }
    ResidentScheduler* Scheduler() const { return scheduler_; }
    bool HoldsPresence() const { return holdsPresence_; }
    // True while a slow timer waits for a notification area to appear.
    bool WaitingForTray() const;

    // Left click (Trigger) pops PopupMenu1, right click (Context) PopupMenu2, both at
    // the cursor; other activations do nothing.
    void TrayIconMessage(QSystemTrayIcon::ActivationReason reason);
    void StartEditor();
    void DisableNelvora1Click();
    // The desktop asks the program to end (log-out, a kill, the installer): the same close
    // as the disable flow's, icon first.
    void CloseOnRequest();
    // Adds the icon when a notification area is there, else keeps waiting for one.
    void ShowTrayIconWhenAvailable();

Q_SIGNALS:
    // The window has closed: the program ends.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormCloseQuery();
    void BuildMenus();

    Form1Env env_;
    QString programFolder_;
    QTimer* timer1_ = nullptr;
    QTimer* trayPoll_ = nullptr;
    QMenu* popupMenu1_ = nullptr;
    QMenu* popupMenu2_ = nullptr;
    QAction* createorEditReminders1_ = nullptr;
    QAction* createorEditReminders2_ = nullptr;
    QAction* disableNelvora1_ = nullptr;
    QSystemTrayIcon* trayIcon_ = nullptr;
    ResidentScheduler* scheduler_ = nullptr;
    bool holdsPresence_ = false;
    bool trayWasAvailable_ = false;
    bool closed_ = false;
};
