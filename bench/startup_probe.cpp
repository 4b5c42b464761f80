// Starts a window and exits once it is first painted: "bare" shows an empty
// Qt Widgets window; "quivara PATH" shows the runner with its first
// question; "builder PATH" shows the editor holding the test. With
// --memory it prints the peak resident memory (VmHWM) before exiting.
#include "mainform.h"
#include "mform.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

class FirstPaint : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return false;
    }
};

QByteArray peakMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed();
    }
    return "?";
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    std::unique_ptr<QWidget> window;
    if (args.value(1) == QLatin1String("quivara"))
        window = std::make_unique<TMForm>(args.value(2));
    else if (args.value(1) == QLatin1String("builder"))
        window = std::make_unique<TForm1>(args.value(2));
    else
        window = std::make_unique<QWidget>();
    FirstPaint watcher;
    window->installEventFilter(&watcher);
    window->show();
    const int result = QApplication::exec();
    if (args.contains(QLatin1String("--memory")))
        std::printf("%s\n", peakMemory().constData());
    return result;
}
