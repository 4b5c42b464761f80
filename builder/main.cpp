#include "application.h"
#include "mform.h"
#include "startup.h"

#include <QApplication>
#include <QTranslator>

int main(int argc, char *argv[])
{
    if (!Application::checkDisplay("Quivara Builder"))
        return 1;
    QApplication app(argc, argv);
    QTranslator qtTranslation;
    Application::installQtTranslation(qtTranslation);

    SingleInstance instance;
    const std::unique_ptr<TForm1> form = startEditor(instance, QApplication::arguments());
    if (!form)
        return 0;
    form->show();
    return QApplication::exec();
}
