// The yardstick for the resident program's memory: the least a Qt tray program does.
// A tray icon, a hidden window and a minute timer that does nothing.

#include <QApplication>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QWidget hidden;
    QPixmap pixmap(22, 22);
    pixmap.fill(QColor(0x2f, 0x6d, 0xb5));
    QSystemTrayIcon icon(QIcon(pixmap), &hidden);
    icon.setToolTip(QStringLiteral("bare"));
    icon.show();
    QTimer minute;
    minute.setInterval(60000);
    minute.start();
    return app.exec();
}
