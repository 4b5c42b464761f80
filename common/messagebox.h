#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;

// A message box centred on the screen, not on its parent window.
class CentredMessageBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent *event) override;
};

// A modal box with the program's title as caption, the text word-wrapped
// under the "&" rule, no icon and a single OK button; returns when dismissed.
void showMessage(QWidget *parent, const QString &programTitle, const QString &text);

// The default error box: an error icon, an OK button, and the message with
// the full stop rule of errorBoxText().
void showError(QWidget *parent, const QString &programTitle, const QString &message);

// A question answered "Да" or "Нет" (Escape), with the program's title as
// caption; true for "Да". name is the box's object name; yesByDefault says
// which button Enter presses.
bool askYesNo(QWidget *parent, const QString &programTitle, const QString &question,
              const char *name, bool yesByDefault);

// A question answered "Да" (the default), "Нет" or "Отмена" (Escape), with
// the program's title as caption; name is the box's object name.
enum class YesNoCancel { Yes, No, Cancel };
YesNoCancel askYesNoCancel(QWidget *parent, const QString &programTitle, const QString &question,
                           const char *name);

// A message with its lines below it, in a box of their own that scrolls and
// can be copied ("ReportBox", its lines "ReportLines"); without lines, the
// plain message or, for a Critical icon, the error box.
void showReport(QWidget *parent, const QString &programTitle, QMessageBox::Icon icon,
                const QString &message, const QStringList &lines);
