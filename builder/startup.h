#pragma once

#include "singleinstance.h"

#include <QStringList>

#include <memory>

class TForm1;

// Starts the editor unless another one runs. When one does, it is asked to
// come forward, "Quivara Builder уже запущен!" is shown, and nothing is
// returned. Otherwise the main window, with the test named on the command
// line loaded, is returned unshown, and later starts bring it forward.
std::unique_ptr<TForm1> startEditor(SingleInstance &instance, const QStringList &arguments);

// The caption of that message: the program file's name without folder, cut
// at its first ".", every character after the first in lower case.
QString programFileCaption(const QString &programPath);
