#pragma once
// The message window: collects the messages of displayed reminders until "Ok".

#include "actions.h"

#include <QWidget>

class QCloseEvent;
class QPlainTextEdit;
class QPushButton;

class TFrmMsg : public QWidget, public IReminderDisplay {
    Q_OBJECT
public:
    static constexpr int kDesignWidth = 477;
    static constexpr int kDesignHeight = 240;
    // Its text box and button with the margin around them.
    static constexpr int kContentWidth = 467;
    static constexpr int kContentHeight = 209;

    // Created hidden; the size comes from the resident geometry store. The controls are
    // made at first use or show.
    explicit TFrmMsg(QWidget* parent = nullptr);

    void ShowReminder(const QStringList& lines) override;

    QPlainTextEdit* Memo1();
    QPushButton* CmdExit();
    void setVisible(bool visible) override;

    void CmdExitClick();

protected:
    void closeEvent(QCloseEvent* event) override; // FormCloseQuery

private:
    void FormCreate();
    void BuildControls();
    void ShowNewest(int firstBlock);

    QPlainTextEdit* Memo1_ = nullptr;
    QPushButton* CmdExit_ = nullptr;
    // The text box starts out holding one empty line; "Ok" empties it completely.
    bool leadingEmptyLine_ = true;
};
