#include "messageprompt.h"

#include "actionchecks.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kMessageMaxLength = 255;
}

QValidator::State OneLineValidator::validate(QString& input, int& pos) const
{
    if (HoldsLineBreak(input)) {
        const qsizetype before = input.size();
        input = OneLine(input);
        pos = std::max(0, pos - static_cast<int>(before - input.size()));
    }
    return Acceptable;
}

TMessagePrompt::TMessagePrompt(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("MessagePrompt"));
    setWindowTitle(QStringLiteral("Reminder Message"));

    Prompt = new QLabel(QStringLiteral("Type any reminder message:"), this);
    Prompt->setObjectName(QStringLiteral("Prompt"));
    Edit = new QLineEdit(this);
    Edit->setObjectName(QStringLiteral("Edit"));
    Edit->setMaxLength(kMessageMaxLength);
    Edit->setValidator(new OneLineValidator(Edit));
    // A single selected blank: the first typed character replaces it.
    Edit->setText(QStringLiteral(" "));
    Edit->selectAll();
    Prompt->setBuddy(Edit);

    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Prompt);
    layout->addWidget(Edit);
    layout->addLayout(buttons);

    resize(std::max(sizeHint().width(), 360), sizeHint().height());
    Edit->setFocus();
}

QString QtTextPrompt::AskMessage(QWidget* parent)
{
    TMessagePrompt prompt(parent);
    if (prompt.exec() == QDialog::Accepted)
        return prompt.Edit->text();
    return QStringLiteral(" ");
}
