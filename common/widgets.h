#pragma once

#include <QFileDialog>
#include <QKeySequence>
#include <QPoint>
#include <QRect>
#include <QString>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QWidget;

// The small makers both windows and the about box build with: each widget
// gets its object name, the name tests and screen readers find it by.
namespace Widgets {

// A plain-text label at a place, as large as its text.
QLabel *label(QWidget *parent, const QString &text, const char *name, QPoint at);
// A push button with an image (none when empty) at a place.
QPushButton *button(QWidget *parent, const QString &text, const QString &image, const char *name,
                    const QRect &geometry);
// A menu item with an image (none when empty) and a shortcut (none when unknown).
QAction *menuItem(QMenu *menu, const QString &text, const char *name,
                  const QString &image = QString(),
                  QKeySequence::StandardKey shortcut = QKeySequence::UnknownKey);

// A file dialog of the program's own (not the desktop's, so it is in
// Russian and tests can drive it) for files of one kind: filter is its
// caption with the pattern, which the dialog shows alone, and suffix is
// given to a name typed without one. A typed name of a missing file is
// passed on (an open reports it; a save asks before replacing a file).
QFileDialog *fileDialog(QWidget *parent, const char *name, QFileDialog::AcceptMode mode,
                        const QString &filter, const QString &suffix);

// Runs a file dialog, offering the name chosen last in it again; the path
// chosen, which becomes lastChosen, or an empty string when cancelled.
QString askForPath(QFileDialog *dialog, QString &lastChosen);

} // namespace Widgets
