#include "application.h"
#include "mform.h"
#include "startup.h"

#include "spool.h"

#include <QApplication>
#include <QTimer>
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
    // Attempts that could not reach the journal before go now, once the
    // window is up and without holding it.
    QTimer::singleShot(0, [] { Spool::deliverInBackground(); });
    const int code = QApplication::exec();
    Spool::finishDeliveries();
    return code;
}
