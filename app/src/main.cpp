#include <QApplication>

#include "quandrelle/app/Application.h"

int main(int argc, char* argv[]) {
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quandrelle"));
    QApplication::setApplicationVersion(QStringLiteral("2.2.3"));
    // The screens hide and show one another; the program ends only through its own commands.
    QApplication::setQuitOnLastWindowClosed(false);

    quandrelle::Application app;
    app.start();
    return QApplication::exec();
}
