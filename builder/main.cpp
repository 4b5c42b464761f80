#include "application.h"
#include "mform.h"
#include "startup.h"

#include <QApplication>
#include <QTranslator>

int main(int argc, char *argv[])
{
    if (!Application::checkDisplay("Quivara Builder"))
        return 1;
    Application::ignoreFileSizeSignal();
    const QStringList arguments = Application::arguments(argc, argv);
    // Qt sees the program's name alone, so that no test name is taken for
    // one of its options.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QTranslator qtTranslation;
    Application::installQtTranslation(qtTranslation);

    SingleInstance instance;
    const std::unique_ptr<TForm1> form = startEditor(instance, arguments);
    if (!form)
        return 0;
    form->show();
    return QApplication::exec();
}
