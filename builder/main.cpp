#include "mform.h"
#include "startup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fputs("Quivara Builder needs a graphical display: DISPLAY is not set.\n", stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QTranslator qtTranslation;
    if (qtTranslation.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslation);

    SingleInstance instance;
    const std::unique_ptr<TForm1> form = startEditor(instance, QApplication::arguments());
    if (!form)
        return 0;
    form->show();
    return QApplication::exec();
}
