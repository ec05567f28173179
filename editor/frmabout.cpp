#include "frmabout.h"

#include "frmfirst.h"
#include "windowparts.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFrmabout::TFrmabout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("Frmabout"));
    setWindowTitle(QStringLiteral("About Nelvora and Reminder"));

    // Without a title bar the window needs its own edge to stand out.
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Raised);
    frame->setLineWidth(2);

    auto* icon = new QLabel(frame);
    icon->setPixmap(QIcon(QStringLiteral(":/nelvora-48.png")).pixmap(48, 48));

    auto* title = new QLabel(QStringLiteral("Nelvora and Reminder"), frame);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    title->setFont(titleFont);

    auto* version = new QLabel(VersionText(), frame);
    version->setObjectName(QStringLiteral("LblVersion"));
    auto* about = new QLabel(QStringLiteral("Reminds you of events, meetings, tasks and special "
                                            "days: by message, voice, sound or by opening a "
                                            "file.\nSupport: ") +
                                 QLatin1String(kSupportAddress),
                             frame);
    about->setWordWrap(true);

    CmdReturn = new QPushButton(QStringLiteral("Return"), frame);
    CmdReturn->setObjectName(QStringLiteral("CmdReturn"));
    CmdReturn->setDefault(true);
    connect(CmdReturn, &QPushButton::clicked, this, &QDialog::accept);

    auto* heading = new QHBoxLayout;
    heading->addWidget(icon);
    auto* names = new QVBoxLayout;
    names->addWidget(title);
    names->addWidget(version);
    heading->addLayout(names, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CmdReturn);

    auto* inner = new QVBoxLayout(frame);
    inner->setContentsMargins(16, 16, 16, 12);
    inner->addLayout(heading);
    inner->addSpacing(8);
    inner->addWidget(about);
    inner->addSpacing(8);
    inner->addLayout(buttons);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    setFixedWidth(340);
}

QString TFrmabout::VersionText()
{
    return QStringLiteral("Version ") + QStringLiteral(NELVORA_VERSION_TEXT);
}

void TFrmabout::showEvent(QShowEvent* event)
{
    // Centred on the screen, not over the main window.
    adjustSize();
    CentreOnScreen(this);
    QDialog::showEvent(event);
}
