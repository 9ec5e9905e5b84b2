#include <QApplication>
#include <QCommandLineParser>

#include "quandrelle/ProgramInfo.h"
#include "quandrelle/app/Application.h"

int main(int argc, char* argv[]) {
    QApplication qtApp(argc, argv);
    // The lower-case name is the one the system knows the program by (its data folder, its desktop
    // entry); the capitalised one is the one people read.
    QApplication::setApplicationName(QString::fromUtf8(quandrelle::kProgramName));
    QApplication::setApplicationDisplayName(QStringLiteral("Quandrelle"));
    QApplication::setApplicationVersion(QString::fromUtf8(quandrelle::kProgramVersion));
    // The screens hide and show one another; the program ends only through its own commands.
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser arguments;
    arguments.setApplicationDescription(
        QStringLiteral("Estimates the service life of organic-vapor cartridges."));
    arguments.addHelpOption();
    arguments.addVersionOption();
    arguments.addPositionalArgument(QStringLiteral("file"),
                                    QStringLiteral("A saved calculation (.quandrelle) to open"),
                                    QStringLiteral("[file]"));
    arguments.process(qtApp);

    quandrelle::Application app;
    const QStringList files = arguments.positionalArguments();
    app.start(files.isEmpty() ? QString() : files.first());
    return QApplication::exec();
}
