// The least start-up any Qt Widgets program has: one empty window, no menu, no child widgets.
#include "firstpaint.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    FirstPaintExit exitAfterFirstPaint;
    app.installEventFilter(&exitAfterFirstPaint);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Floor"));
    window.resize(226, 303);
    window.show();
    return app.exec();
}
