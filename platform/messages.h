#pragma once
// Modal message boxes, reached through an interface so that tests can answer them.

#include <QString>

// "Nelvora": the program title, caption of notices and of raised errors.
extern const char* const kProgramTitle;

// A raised error's text as its box shows it: "." appended when the text ends in a
// character that sorts after ".".
QString ErrorBoxText(const QString& text);

class IMessages {
public:
    virtual ~IMessages() = default;
    // Plain notice: caption "Nelvora", no icon, OK.
    virtual void Notice(const QString& text) = 0;
    // Typed boxes: caption and icon of their kind, OK.
    virtual void Warning(const QString& text) = 0;
    virtual void Information(const QString& text) = 0;
    virtual void Error(const QString& text) = 0;
    // An error raised inside a handler: caption "Nelvora", error icon, ErrorBoxText.
    virtual void RaisedError(const QString& text) = 0;
    // Warning box with Yes and No; true only for Yes.
    virtual bool Question(const QString& text) = 0;
};

// QMessageBox, modal, centred over the active window or the screen.
class QtMessages : public IMessages {
public:
    void Notice(const QString& text) override;
    void Warning(const QString& text) override;
    void Information(const QString& text) override;
    void Error(const QString& text) override;
    void RaisedError(const QString& text) override;
    bool Question(const QString& text) override;
};
