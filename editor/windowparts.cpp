#include "windowparts.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

#include <algorithm>

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

void FixBackground(QWidget* widget, const QColor& background)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    // The scheme's text colour is made for the scheme's own background: a dark scheme's
    // near-white text would vanish on this one.
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(90, 90, 90));
    widget->setPalette(palette);
    // Option buttons and check boxes would fill with the scheme's button colour.
    widget->setBackgroundRole(QPalette::Window);
    widget->setAutoFillBackground(true);
}

namespace {

// Qt keeps a window no smaller than its layout's minimum, but that minimum leaves out the
// lines wrapped text takes at the window's real width: with a large font such text
// squeezed the controls below it until they were cut. The layout has done its work by
// the time a filter sees the event.
class ContentKeeper : public QObject {
public:
    explicit ContentKeeper(QWidget* window) : QObject(window) { window->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type == QEvent::LayoutRequest || type == QEvent::Resize || type == QEvent::Show)
            Keep(static_cast<QWidget*>(watched));
        return false;
    }

private:
    static void Keep(QWidget* window)
    {
        const QLayout* layout = window->layout();
        if (!layout)
            return;
        int height = layout->totalMinimumSize().height();
        if (layout->hasHeightForWidth())
            height = std::max(height, layout->totalMinimumHeightForWidth(window->width()));
        if (window->minimumHeight() != height)
            window->setMinimumHeight(height);
    }
};

} // namespace

void KeepContentWhole(QWidget* window)
{
    new ContentKeeper(window);
}
