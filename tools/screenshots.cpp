// Renders the windows of both programs into PNG files, for people to look at.
// Run under a real (virtual) display: scripts/screenshots.sh.
#include "application.h"
#include "mainform.h"
#include "mform.h"
#include "radiogroup.h"
#include "runboxes.h"
#include "testpaper.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPageLayout>
#include <QPdfWriter>
#include <QLineEdit>
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

// Saves the next modal window of type Box, then closes it.
template<typename Box>
void saveNextModalOf(const QString &name)
{
    QTimer::singleShot(300, [name] {
        auto *box = qobject_cast<Box *>(QApplication::activeModalWidget());
        if (!box)
            return saveNextModalOf<Box>(name);
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

// A timed test that asks the name and shows a review.
void examShots(const QString &exam)
{
    QTimer::singleShot(300, [] {
        auto *box = qobject_cast<NameBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        box->findChild<QLineEdit *>("StudentName")->setText(QStringLiteral("Иванова Анна"));
        save(box, "runner-name");
        box->accept();
    });
    TMForm form(exam);
    form.show();
    while (!form.findChild<QWidget *>("TestPanel")->isVisible())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    auto *group = form.findChild<RadioGroupBox *>("RadioGroup");
    auto *next = form.findChild<QPushButton *>("NQButton");
    group->button(0)->click();
    save(&form, "runner-timed");
    for (int i = 0; i < 5; ++i) {
        next->click();
        group->button(1)->click();
    }
    saveNextModal("runner-exam-result");
    QTimer::singleShot(300, [] {
        // After the result box: the review.
        saveNextModalOf<ReviewBox>("runner-review");
    });
    form.findChild<QPushButton *>("FinishButton")->click();
}

void builderShots(const QString &sample, const QString &exam)
{
    {
        TForm1 form(exam);
        form.show();
        form.findChild<QListWidget *>("Qlist")->setCurrentRow(5);
        save(&form, "builder-exam-questions");
        form.findChild<QTabWidget *>("Pages")->setCurrentIndex(2);
        save(&form, "builder-exam-run");
    }
    TForm1 form(sample);
    form.show();
    auto *list = form.findChild<QListWidget *>("Qlist");
    list->setCurrentRow(2);
    save(&form, "builder-questions");
    form.findChild<QTabWidget *>("Pages")->setCurrentIndex(0);
    save(&form, "builder-settings");
    form.findChild<QTabWidget *>("Pages")->setCurrentIndex(2);
    save(&form, "builder-run");
    saveNextModal("builder-about");
    form.findChild<QAction *>("N10")->trigger();

    saveNextModal("builder-paper-dialog");
    form.findChild<QAction *>("PdfItem")->trigger();
    // The printed test, for scripts/screenshots.sh to render page by page.
    {
        QPdfWriter writer(QDir(outputDir).filePath("builder-paper.pdf"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(20, 15, 20, 15), QPageLayout::Millimeter);
        TestPaper::print(TestFileCommands::loadTestFile(sample).test, true, &writer);
    }
}

// Chooses path in the next file dialog.
void chooseInNextDialog(const QString &path)
{
    QTimer::singleShot(300, [path] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return chooseInNextDialog(path);
        // As typed into its name box; it is accepted once it has taken the name.
        const QString wanted = QFileInfo(path).absoluteFilePath();
        dialog->findChild<QLineEdit *>("fileNameEdit")->setText(wanted);
        if (dialog->selectedFiles().value(0) != wanted)
            return chooseInNextDialog(path);
        static_cast<QDialog *>(dialog)->accept();
    });
}

// The report of an import that skipped a question.
void importShots(const QString &gift)
{
    TForm1 form;
    form.show();
    chooseInNextDialog(gift);
    saveNextModalOf<QMessageBox>("builder-import-report");
    form.findChild<QAction *>("ImportItem")->trigger();
    save(&form, "builder-imported");
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTranslator qtTranslation;
    Application::installQtTranslation(qtTranslation);
    const QStringList args = QApplication::arguments();
    if (args.size() < 5) {
        std::fputs("usage: quivara-screenshots OUTPUT_DIR SAMPLE_TEST TIMED_TEST GIFT_FILE\n",
                   stderr);
        return 2;
    }
    outputDir = args[1];
    QDir().mkpath(outputDir);
    runnerShots(args[2]);
    examShots(args[3]);
    builderShots(args[2], args[3]);
    importShots(args[4]);
    return 0;
}
