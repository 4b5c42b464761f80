#include "messagebox.h"

#include "anchors.h"
#include "displaytext.h"

#include <QMessageBox>
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
