// The yardstick for the editor's start: a bare Qt window, ended after its first paint.
#include "firstpaint.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(498, 451);
    return RunUntilFirstPaint(app, window);
}
