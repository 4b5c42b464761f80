#include "application.h"
#include "mainform.h"

#include "spool.h"

#include <QApplication>
#include <QTimer>
#include <QTranslator>

int main(int argc, char *argv[])
{
    if (!Application::checkDisplay("Quivara"))
        return 1;
    Application::ignoreFileSizeSignal();
    const QStringList arguments = Application::arguments(argc, argv);
    // Qt sees the program's name alone, so that no test name is taken for
    // one of its options.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QTranslator qtTranslation;
    Application::installQtTranslation(qtTranslation);

    TMForm form(arguments.value(1));
    form.show();
    // Attempts that could not reach the journal before go now, once the
    // window is up and without holding it.
    QTimer::singleShot(0, [] { Spool::deliverInBackground(); });
    const int code = QApplication::exec();
    Spool::finishDeliveries();
    return code;
}
