#include "startup.h"

#include "messagebox.h"
#include "mform.h"

#include <QFileInfo>

QString programFileCaption(const QString &programPath)
{
    const QString name = QFileInfo(programPath).fileName().section(u'.', 0, 0);
    return name.left(1) + name.mid(1).toLower();
}

std::unique_ptr<TForm1> startEditor(SingleInstance &instance, const QStringList &arguments)
{
    if (!instance.tryToRun()) {
        showMessage(nullptr, programFileCaption(arguments.value(0)),
                    QStringLiteral("Quivara Builder уже запущен!"));
        return nullptr;
    }
    auto form = std::make_unique<TForm1>(arguments.value(1));
    QObject::connect(&instance, &SingleInstance::showRequested, form.get(), &TForm1::bringToFront);
    return form;
}
