#include "frmname.h"

#include "actionchecks.h"
#include "messageprompt.h"
#include "messages.h"
#include "windowparts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kNameMaxLength = 25;
}

TFrmName::TFrmName(IMessages& messages, QWidget* parent) : QDialog(parent), messages_(messages)
{
    setObjectName(QStringLiteral("FrmName"));
    setWindowTitle(QStringLiteral("Enter Any Name"));
    FixBackground(this, QColor(230, 228, 227));

    Label1 = new QLabel(QStringLiteral("Enter a name for your new reminder:  (Example: Kelmos "
                                       "Birthday, Wednesdays Meeting, etc.)"),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setWordWrap(true);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(kNameMaxLength);
    Edit1->setValidator(new OneLineValidator(Edit1));
    Label1->setBuddy(Edit1);

    BitBtn1 = new QPushButton(QStringLiteral("Ok"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &TFrmName::BitBtn1Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addStretch();
    layout->addLayout(buttons);

    resize(343, 171);
    KeepContentWhole(this);
    Edit1->setFocus();
}

void TFrmName::BitBtn1Click()
{
    if (NameRefused(Edit1->text())) {
        messages_.Notice(QString::fromLatin1(kNameRefusedText));
        return;
    }
    accept();
}

void TFrmName::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CentreOnScreen(this);
}
