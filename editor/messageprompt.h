#pragma once
// The "Reminder Message" prompt of the action page, behind an interface tests replace.

#include <QDialog>
#include <QString>
#include <QValidator>

class QLabel;
class QLineEdit;
class QPushButton;

class ITextPrompt {
public:
    virtual ~ITextPrompt() = default;
    // The typed text after "OK"; a single blank after "Cancel" or the close box.
    virtual QString AskMessage(QWidget* parent) = 0;
};

// Pasted text keeps no line break in a one-line field: a line break would forge keys in
// the reminder file, so each becomes a blank.
class OneLineValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

class TMessagePrompt : public QDialog {
    Q_OBJECT
public:
    explicit TMessagePrompt(QWidget* parent = nullptr);

    QLabel* Prompt = nullptr;
    QLineEdit* Edit = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
};

class QtTextPrompt : public ITextPrompt {
public:
    QString AskMessage(QWidget* parent) override;
};
