#include "windowparts.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption,
                        const char* hint)
{
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    if (hint)
        button->setToolTip(QString::fromLatin1(hint));
    return button;
}

void CentreIn(QWidget* window, const QRect& area)
{
    // The frame, not the client area: a title bar would otherwise push it off centre.
    QRect frame = window->frameGeometry();
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
}

void CentreOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        CentreIn(window, screen->availableGeometry());
}
