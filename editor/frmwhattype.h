#pragma once
// The action page: which of the six actions a reminder performs, with its audio file,
// message and file to open. The three labels are the page's only store of those texts.

#include <QDialog>
#include <QString>

#include <map>
#include <memory>

class IMessages;
class ITextPrompt;
class QCheckBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QPushButton;
struct TReminder;

class IFileChooser {
public:
    virtual ~IFileChooser() = default;
    // An open-file dialog with Qt name filters, the first selected; the named file need
    // not exist. The chosen full path, or empty when cancelled.
    virtual QString ChooseFile(const QString& title, const QString& filter) = 0;
};

// Keeps one dialog per title for its whole life, so each remembers its folder. Qt's own
// dialog, because a desktop's native open dialog insists on an existing file.
class QtFileChooser : public IFileChooser {
public:
    QtFileChooser();
    ~QtFileChooser() override;
    QString ChooseFile(const QString& title, const QString& filter) override;

private:
    std::map<QString, std::unique_ptr<QFileDialog>> dialogs_;
};

extern const char* const kAudioFileFilter;
extern const char* const kOpenFileFilter;

class TFrmWhatType : public QDialog {
    Q_OBJECT
public:
    // FormCreate: takes the size stored under "FrmWhatType".
    TFrmWhatType(IMessages& messages, IFileChooser& chooser, ITextPrompt& prompt,
                 QWidget* parent = nullptr);

    bool BackChosen = false;

    // The six boxes first, then LblMsg, LblOpen, LblMP3: a box cleared by the load
    // empties its label, which the texts then refill.
    void ApplyReminder(const TReminder& r);
    // The six flags, and the three texts exactly as the labels hold them.
    void FillReminder(TReminder& r) const;

    QLabel* Label1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QCheckBox* ChkSayTime = nullptr;
    QCheckBox* ChkSayDay = nullptr;
    QCheckBox* CHkPlayMP3 = nullptr;
    QPushButton* BitBtn6 = nullptr;
    QLabel* LblMP3 = nullptr;
    QCheckBox* ChkDisplay = nullptr;
    QCheckBox* ChkSayMsg = nullptr;
    QPushButton* BitBtn5 = nullptr;
    QLabel* LblMsg = nullptr;
    QCheckBox* ChkOpen = nullptr;
    QPushButton* CmdSelectOpen = nullptr;
    QLabel* LblOpen = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* CmdDone = nullptr;

public Q_SLOTS:
    void BitBtn6Click();
    void BitBtn5Click();
    void CmdSelectOpenClick();
    void CHkPlayMP3Click();
    void ChkOpenClick();
    void CmdDoneClick();
    // "Go Back".
    void BitBtn1Click();

protected:
    // Every way of closing passes here: the size is stored each time.
    void done(int result) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // False, after telling the user, when the text could not be kept in a reminder file.
    bool Acceptable(const QString& text, const char* refusal);

    IMessages& messages_;
    IFileChooser& chooser_;
    ITextPrompt& prompt_;
};
