// Starts a window and ends once it is first painted, without tearing
// anything down: what is timed is the start alone, up to the first frame
// shown, and not the freeing of the window and the libraries at exit,
// which a user never waits for. "bare" shows an empty
// Qt Widgets window; "quivara PATH" shows the runner with its first
// question; "builder PATH" shows the editor holding the test. With
// --memory it prints the peak resident memory (VmHWM) before exiting.
//
// Between the bare window and the runner, three windows add one fixed cost
// of a real window at a time, to show where the runner's start goes:
// "text" a line of text (font set-up and the first text drawn), "menu" that
// and a menu bar (its style icons load the image format plugins), "icon"
// that and a button with an SVG image (the SVG engine and its library).
#include "mainform.h"
#include "mform.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

class FirstPaint : public QObject
{
public:
    explicit FirstPaint(bool printMemory)
        : m_printMemory(printMemory)
    {
    }

    bool eventFilter(QObject *, QEvent *event) override;

private:
    bool m_printMemory;
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

// A window with the fixed costs named in `steps`, each including the one before.
std::unique_ptr<QWidget> stepWindow(const QString &step)
{
    const QStringList steps{QStringLiteral("text"), QStringLiteral("menu"), QStringLiteral("icon")};
    const qsizetype level = steps.indexOf(step);
    auto window = std::make_unique<QMainWindow>();
    auto *client = new QWidget(window.get());
    window->setCentralWidget(client);
    window->resize(673, 573);
    new QLabel(QStringLiteral("Вопрос 1 из 10:"), client);
    if (level >= 1)
        window->menuBar()->addMenu(QStringLiteral("Файл"));
    if (level >= 2) {
        auto *button = new QPushButton(QStringLiteral("Далее"), client);
        button->setIcon(QIcon(QStringLiteral(":/images/next.svg")));
        button->setGeometry(555, 513, 110, 32);
    }
    return window;
}

bool FirstPaint::eventFilter(QObject *, QEvent *event)
{
    // The paint event arrives before the window draws itself: end once it is drawn.
    if (event->type() == QEvent::Paint) {
        QTimer::singleShot(0, qApp, [this] {
            if (m_printMemory)
                std::printf("%s\n", peakMemory().constData());
            std::fflush(stdout);
            std::_Exit(0);
        });
    }
    return false;
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
    else if (args.value(1) == QLatin1String("bare"))
        window = std::make_unique<QWidget>();
    else
        window = stepWindow(args.value(1));
    FirstPaint watcher(args.contains(QLatin1String("--memory")));
    window->installEventFilter(&watcher);
    window->show();
    return QApplication::exec();
}
