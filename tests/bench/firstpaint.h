#pragma once
// How the start benches end: the window is shown, and the program quits once it has
// painted for the first time, so a run times the start up to what the user first sees.

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // At once: the loop ends when this paint is done, before anything the program
            // leaves for after its first paint.
            QCoreApplication::quit();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
};

// Shows `window` and runs the event loop until its first paint; exits 3 after 10 s.
inline int RunUntilFirstPaint(QApplication& app, QWidget& window)
{
    FirstPaint painted;
    window.installEventFilter(&painted);
    window.show();
    // A window that never paints must not hang a timing run.
    QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(3); });
    return app.exec();
}
