#pragma once

#include <QStringList>

class QApplication;
class QTranslator;

// What both programs do before their first window.
namespace Application {

// False, after one line on standard error naming program, when no display
// is set and no platform was chosen: Qt would otherwise abort.
bool checkDisplay(const char *program);

// The command line as the programs read it: the program, then every
// argument as a path. The first "--" ends the programs' own options (there
// are none yet) and is dropped. Qt is never shown the arguments, so a test
// named "-reverse" or "-style" opens like any other; Qt's environment
// variables still work.
QStringList arguments(int argc, char *argv[]);

// A save past a file size limit then fails with an error instead of ending
// the program with SIGXFSZ.
void ignoreFileSizeSignal();

// Loads Qt's own Russian translation into translator and installs it, so
// that file dialogs and standard buttons speak the interface's language.
void installQtTranslation(QTranslator &translator);

} // namespace Application
