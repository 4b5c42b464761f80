#include "startup.h"

#include "messagebox.h"
#include "mform.h"

#include <QFileInfo>
#include <QTimer>

QString programFileCaption(const QString &programPath)
{
    const QString name = QFileInfo(programPath).fileName().section(u'.', 0, 0);
    return name.left(1) + name.mid(1).toLower();
}

std::unique_ptr<TForm1> startEditor(SingleInstance &instance, const QStringList &arguments)
{
    const bool journal = arguments.value(1) == QLatin1String("--journal");
    if (!instance.tryToRun(journal ? SingleInstance::JournalRequest : QByteArray())) {
        // The editor that runs opens its journal instead: nothing to say then.
        if (!journal)
            showMessage(nullptr, programFileCaption(arguments.value(0)),
                        QStringLiteral("Quivara Builder уже запущен!"));
        return nullptr;
    }
    auto form = std::make_unique<TForm1>(journal ? QString() : arguments.value(1));
    QObject::connect(&instance, &SingleInstance::showRequested, form.get(), &TForm1::bringToFront);
    QObject::connect(&instance, &SingleInstance::journalRequested, form.get(),
                     &TForm1::openJournal);
    if (journal)
        QTimer::singleShot(0, form.get(), &TForm1::openJournal); // once the editor shows
    return form;
}
