#include "application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <csignal>
#include <cstdio>

bool Application::checkDisplay(const char *program)
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return true;
    }
    std::fprintf(stderr, "%s needs a graphical display: DISPLAY is not set.\n", program);
    return false;
}

void Application::installQtTranslation(QTranslator &translator)
{
    if (translator.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&translator);
}

QStringList Application::arguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const qsizetype end = arguments.indexOf(QStringLiteral("--"));
    if (end > 0)
        arguments.removeAt(end);
    return arguments;
}

void Application::ignoreFileSizeSignal()
{
    std::signal(SIGXFSZ, SIG_IGN);
}
