// The yardstick for the editor's start: a bare Qt window, ended after its first paint.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(498, 451);
    FirstPaint painted;
    window.installEventFilter(&painted);
    window.show();
    // A window that never paints must not hang a timing run.
    QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(3); });
    return app.exec();
}
