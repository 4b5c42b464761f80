#include "messagebox.h"

#include "anchors.h"
#include "displaytext.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

void CentredMessageBox::showEvent(QShowEvent *event)
{
    // The box has its final size once its own show handling is done; the
    // window is not on screen yet, so the move shows no jump.
    QMessageBox::showEvent(event);
    centreOnScreen(this);
}

namespace {

void showBox(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &html)
{
    CentredMessageBox box(icon, title, QString(), QMessageBox::Ok,
                          parent && parent->isVisible() ? parent : nullptr);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setTextFormat(Qt::RichText);
    box.setText(html);
    box.exec();
}

} // namespace

void showMessage(QWidget *parent, const QString &programTitle, const QString &text)
{
    showBox(parent, QMessageBox::NoIcon, programTitle, mnemonicTextToHtml(text));
}

void showError(QWidget *parent, const QString &programTitle, const QString &message)
{
    // The error box shows its text as it is: no "&" processing.
    const QString text = errorBoxText(message);
    QString html = text.toHtmlEscaped();
    html.replace(u'\n', QStringLiteral("<br>"));
    showBox(parent, QMessageBox::Critical, programTitle, html);
}

bool askYesNo(QWidget *parent, const QString &programTitle, const QString &question,
              const char *name, bool yesByDefault)
{
    CentredMessageBox box(QMessageBox::Question, programTitle, question, QMessageBox::NoButton,
                          parent);
    box.setObjectName(QLatin1String(name));
    QPushButton *yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
    box.setDefaultButton(yesByDefault ? yes : no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

YesNoCancel askYesNoCancel(QWidget *parent, const QString &programTitle, const QString &question,
                           const char *name)
{
    CentredMessageBox box(QMessageBox::Question, programTitle, question, QMessageBox::NoButton,
                          parent);
    box.setObjectName(QLatin1String(name));
    QPushButton *yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == yes   ? YesNoCancel::Yes
            : box.clickedButton() == no ? YesNoCancel::No
                                        : YesNoCancel::Cancel;
}

void showReport(QWidget *parent, const QString &programTitle, QMessageBox::Icon icon,
                const QString &message, const QStringList &lines)
{
    if (lines.isEmpty()) {
        if (icon == QMessageBox::Critical)
            showError(parent, programTitle, message);
        else
            showMessage(parent, programTitle, message);
        return;
    }
    CentredMessageBox box(icon, programTitle, message, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("ReportBox"));
    box.button(QMessageBox::Ok)->setText(QStringLiteral("ОК"));
    // The lines in a box of their own that scrolls and can be copied, open
    // at once: a long report should not stretch the window past the screen.
    auto *details = new QPlainTextEdit(lines.join(u'\n'));
    details->setObjectName(QStringLiteral("ReportLines"));
    details->setReadOnly(true);
    details->setAccessibleName(QStringLiteral("Замечания"));
    details->setMinimumSize(460, 160);
    // Between the message and the button, which moves down a row.
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    auto *buttons = box.findChild<QDialogButtonBox *>();
    if (grid && buttons) {
        int row = 0, column = 0, rows = 1, columns = 1;
        grid->getItemPosition(grid->indexOf(buttons), &row, &column, &rows, &columns);
        grid->removeWidget(buttons);
        grid->addWidget(details, row, 0, 1, grid->columnCount());
        grid->addWidget(buttons, row + 1, column, rows, columns);
    }
    box.exec();
}
