#include "widgets.h"

#include <QAction>
#include <QFileDialog>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace Widgets {

QLabel *label(QWidget *parent, const QString &text, const char *name, QPoint at)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setTextFormat(Qt::PlainText);
    l->move(at);
    l->adjustSize();
    return l;
}

QPushButton *button(QWidget *parent, const QString &text, const QString &image, const char *name,
                    const QRect &geometry)
{
    auto *b = new QPushButton(image.isEmpty() ? QIcon() : QIcon(image), text, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(geometry);
    return b;
}

QAction *menuItem(QMenu *menu, const QString &text, const char *name, const QString &image,
                  QKeySequence::StandardKey shortcut)
{
    QAction *a = menu->addAction(image.isEmpty() ? QIcon() : QIcon(image), text);
    a->setObjectName(QLatin1String(name));
    a->setShortcut(shortcut);
    return a;
}

QFileDialog *fileDialog(QWidget *parent, const char *name, QFileDialog::AcceptMode mode,
                        const QString &filter, const QString &suffix)
{
    auto *d = new QFileDialog(parent);
    d->setObjectName(QLatin1String(name));
    d->setOption(QFileDialog::DontUseNativeDialog);
    d->setAcceptMode(mode);
    d->setFileMode(QFileDialog::AnyFile);
    d->setNameFilter(filter);
    d->setOption(QFileDialog::HideNameFilterDetails); // the caption alone
    d->setDefaultSuffix(suffix);
    d->setSizeGripEnabled(true);
    return d;
}

QString askForPath(QFileDialog *dialog, QString &lastChosen)
{
    if (!lastChosen.isEmpty())
        dialog->selectFile(lastChosen);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return QString();
    lastChosen = dialog->selectedFiles().first();
    return lastChosen;
}

} // namespace Widgets
