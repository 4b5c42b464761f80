#pragma once

class QApplication;
class QTranslator;

// What both programs do before their first window.
namespace Application {

// False, after one line on standard error naming program, when no display
// is set and no platform was chosen: Qt would otherwise abort.
bool checkDisplay(const char *program);

// Loads Qt's own Russian translation into translator and installs it, so
// that file dialogs and standard buttons speak the interface's language.
void installQtTranslation(QTranslator &translator);

} // namespace Application
