// Renders the windows of both programs into PNG files, for people to look at.
// Run under a real (virtual) display: scripts/screenshots.sh.
#include "application.h"
#include "mainform.h"
#include "mform.h"
#include "radiogroup.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QTabWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QTranslator>

#include <cstdio>

namespace {

QString outputDir;

void settle()
{
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
}

void save(QWidget *window, const QString &name)
{
    settle();
    const QRect frame = window->frameGeometry();
    const QPixmap shot
            = window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    const QString path = QDir(outputDir).filePath(name + ".png");
    if (!shot.save(path))
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

// Saves the next modal box, then closes it.
void saveNextModal(const QString &name)
{
    QTimer::singleShot(300, [name] {
        QWidget *box = QApplication::activeModalWidget();
        if (!box)
            return saveNextModal(name);
        save(box, name);
        box->close();
    });
}

void runnerShots(const QString &sample)
{
    TMForm start;
    start.show();
    save(&start, "runner-start");

    TMForm form(sample);
    form.show();
    settle();
    auto *group = form.findChild<RadioGroupBox *>("RadioGroup");
    auto *next = form.findChild<QPushButton *>("NQButton");
    for (const int option : {1, 0}) {
        group->button(option)->click();
        next->click();
    }
    group->button(1)->click();
    save(&form, "runner-question");
    for (const int option : {2, 1, 1, 1}) {
        group->button(option)->click();
        next->click();
    }
    saveNextModal("runner-result");
    form.findChild<QPushButton *>("FinishButton")->click();

    saveNextModal("runner-about");
    form.findChild<QAction *>("N6")->trigger();
}

void builderShots(const QString &sample)
{
    TForm1 form(sample);
    form.show();
    auto *list = form.findChild<QListWidget *>("Qlist");
    list->setCurrentRow(2);
    save(&form, "builder-questions");
    form.findChild<QTabWidget *>("Pages")->setCurrentIndex(0);
    save(&form, "builder-settings");
    saveNextModal("builder-about");
    form.findChild<QAction *>("N10")->trigger();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTranslator qtTranslation;
    Application::installQtTranslation(qtTranslation);
    const QStringList args = QApplication::arguments();
    if (args.size() < 3) {
        std::fputs("usage: quivara-screenshots OUTPUT_DIR SAMPLE_TEST\n", stderr);
        return 2;
    }
    outputDir = args[1];
    QDir().mkpath(outputDir);
    runnerShots(args[2]);
    builderShots(args[2]);
    return 0;
}
