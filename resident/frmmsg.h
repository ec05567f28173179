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

    // Created hidden; the size comes from the resident geometry store.
    explicit TFrmMsg(QWidget* parent = nullptr);

    void ShowReminder(const QStringList& lines) override;

    QPlainTextEdit* Memo1() const { return Memo1_; }
    QPushButton* CmdExit() const { return CmdExit_; }

    void CmdExitClick();

protected:
    void closeEvent(QCloseEvent* event) override; // FormCloseQuery

private:
    void FormCreate();
    void ShowNewest(int firstBlock);

    QPlainTextEdit* Memo1_;
    QPushButton* CmdExit_;
    // The text box starts out holding one empty line; "Ok" empties it completely.
    bool leadingEmptyLine_ = true;
};
