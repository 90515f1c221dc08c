// A bare window of the same toolkit, the same size, with no controls.
#include "shown.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    bench::reportMain();
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Tavrelle"));
    window.resize(1000, 730);
    window.show();
    bench::reportWhenShown(&window);
}
