#include "application.h"
#include "mainform.h"

#include <QApplication>
#include <QTranslator>

int main(int argc, char *argv[])
{
    if (!Application::checkDisplay("Quivara"))
        return 1;
    QApplication app(argc, argv);
    QTranslator qtTranslation;
    Application::installQtTranslation(qtTranslation);

    TMForm form(QApplication::arguments().value(1));
    form.show();
    return QApplication::exec();
}
