#include "messagebox.h"

#include "displaytext.h"

#include <QMessageBox>

namespace {

void showBox(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &html)
{
    // Without a shown parent the box centres on the screen.
    QMessageBox box(icon, title, QString(), QMessageBox::Ok,
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
