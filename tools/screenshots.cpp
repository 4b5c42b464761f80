// Renders the windows of both programs into PNG files, for people to look at.
// Run under a real (virtual) display: scripts/screenshots.sh.
#include "application.h"
#include "journalwindow.h"
#include "mainform.h"
#include "mform.h"
#include "radiogroup.h"
#include "runboxes.h"
#include "testpaper.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QComboBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QTranslator>
#include <QWindow>

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
    // A window not yet on the screen grabs as black.
    while (!window->windowHandle() || !window->windowHandle()->isExposed())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
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

// A result that neither the spool nor the journal could keep: a file
// stands where the spool's folder should be, and the journal lies below a
// plain file.
void lostResultShots(const QString &sample)
{
    QTemporaryDir dir;
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath("data")));
    QDir().mkpath(dir.filePath("data/Quivara"));
    for (const char *name : {"data/Quivara/spool", "plain"}) {
        QFile file(dir.filePath(QLatin1String(name)));
        if (!file.open(QIODevice::WriteOnly))
            std::fprintf(stderr, "could not write %s\n", qPrintable(file.fileName()));
    }
    qputenv("QUIVARA_JOURNAL", QFile::encodeName("sqlite:" + dir.filePath("plain/j.sqlite")));
    TMForm form(sample);
    form.show();
    settle();
    auto *group = form.findChild<RadioGroupBox *>("RadioGroup");
    auto *next = form.findChild<QPushButton *>("NQButton");
    for (const int option : {1, 0, 1, 2, 1, 1}) {
        group->button(option)->click();
        next->click();
    }
    // The result first, then the notice.
    QTimer::singleShot(300, [] {
        if (QWidget *box = QApplication::activeModalWidget())
            box->close();
        saveNextModal("runner-lost-result");
    });
    form.findChild<QPushButton *>("FinishButton")->click();
    qputenv("XDG_DATA_HOME", dataHome);
    qunsetenv("QUIVARA_JOURNAL");
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
    QFile pdf(QDir(outputDir).filePath("builder-paper.pdf"));
    if (pdf.open(QIODevice::WriteOnly))
        TestPaper::writePdf(TestFileCommands::loadTestFile(sample).test, true, &pdf,
                            TForm1::ProgramTitle);
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

// The teacher's view of a journal of one class's attempts, and its statistics.
void journalShots()
{
    QTemporaryDir dir;
    const QString address = QStringLiteral("sqlite:") + dir.filePath("journal.sqlite");
    qputenv("QUIVARA_JOURNAL", address.toUtf8());
    {
        Journal journal(JournalAddress::parse(address));
        const QStringList names{"Иванова Анна",    "Петров Иван",    "Сидорова Мария",
                                "Кузнецов Олег",   "Смирнова Ольга", "Попов Денис",
                                "Васильева Ирина", "Морозов Артём",  "Новикова Софья",
                                "Фёдоров Илья",    "Волкова Дарья",  "Алексеев Максим"};
        const QStringList rivers{"Лена", "Волга", "Обь", "Енисей"};
        for (int i = 0; i < names.size(); ++i) {
            Attempt a = Attempt::begun();
            a.testTitle = QStringLiteral("География: реки, города и моря");
            a.testSha256 = QString(64, u'c');
            a.student = names[i];
            a.finished = QDateTime(QDate(2026, 12, 10), QTime(9, 40), Qt::UTC).addSecs(37 * i);
            a.started = a.finished.addSecs(-300 - 23 * i);
            a.seconds = 300 + 23 * i;
            a.questions = 6;
            a.correct = (i * 5 + 3) % 7;
            a.answered = 6;
            a.percent = a.correct * 100 / 6;
            a.grade = a.percent >= 90 ? 5 : a.percent >= 70 ? 4 : a.percent >= 50 ? 3 : 2;
            a.ended = QStringLiteral("student");
            for (int q = 0; q < 6; ++q) {
                const bool right = q < a.correct;
                a.answers.append({QStringLiteral("Q%1").arg(q),
                                  QStringLiteral("Вопрос %1").arg(q + 1),
                                  q == 0 ? (right ? rivers[0] : rivers[1 + i % 3])
                                         : QString(right ? "верный" : "неверный"),
                                  right});
            }
            a.answers[0].question = QStringLiteral("Какая река самая длинная в России?");
            if (i == 4) // the test's file changed while this one ran
                a.testChanges = {QString(64, u'd')};
            journal.record(a);
        }
    }
    JournalWindow window;
    window.show();
    save(&window, "builder-journal");
    auto *tests = window.findChild<QComboBox *>("TestFilter");
    tests->setCurrentIndex(1);
    saveNextModal("builder-journal-statistics");
    window.findChild<QPushButton *>("StatisticsButton")->click();
    while (QApplication::activeModalWidget()
           || !QFile::exists(QDir(outputDir).filePath("builder-journal-statistics.png")))
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    qunsetenv("QUIVARA_JOURNAL");
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
    lostResultShots(args[2]);
    builderShots(args[2], args[3]);
    importShots(args[4]);
    journalShots();
    return 0;
}
