#include "journalwindow.h"
#include "mform.h"
#include "modalwindows.h"
#include "singleinstance.h"
#include "startup.h"
#include "testfiles.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

Attempt attemptOf(const QString &student, const QString &test, int percent, int minutesLater)
{
    Attempt a = Attempt::begun();
    a.testTitle = test;
    a.testFile = "/тесты/" + test + ".quivara";
    a.testSha256 = QString(64, u'b');
    a.student = student;
    a.started = QDateTime(QDate(2026, 12, 10), QTime(9, 0), Qt::UTC).addSecs(60 * minutesLater);
    a.finished = a.started.addSecs(95);
    a.seconds = 95;
    a.questions = 2;
    a.answered = 2;
    a.correct = percent / 50;
    a.percent = percent;
    a.grade = percent == 100 ? 5 : 0;
    a.ended = "student";
    a.answers = {{"Q0", "Столица Франции?", percent >= 50 ? "Париж" : "Лион", percent >= 50},
                 {"Q1", "Столица Италии?", percent == 100 ? "Рим" : "Милан", percent == 100}};
    return a;
}

// A journal of its own for each test, named by QUIVARA_JOURNAL.
struct Fixture
{
    Fixture()
    {
        qputenv("QUIVARA_JOURNAL", address.toUtf8());
        Journal journal(JournalAddress::parse(address));
        ok = journal.isOpen();
        if (!ok)
            qWarning("%s", qPrintable(journal.error()));
        for (const Attempt &a :
             {attemptOf("Иванова Анна", "Столицы", 100, 0),
              attemptOf("Петров Иван", "Столицы", 50, 1), attemptOf("Сидоров", "Реки", 0, 2)})
            ok = ok && journal.record(a);
        if (!ok)
            qWarning("%s", qPrintable(journal.error()));
    }
    ~Fixture() { qunsetenv("QUIVARA_JOURNAL"); }

    // Runs sql on the journal's file as anyone could, past the program.
    bool exec(const QString &sql) const
    {
        Journal journal(JournalAddress::parse(address));
        QSqlQuery q(journal.database());
        const bool ok = q.exec(sql);
        if (!ok)
            qWarning("%s", qPrintable(q.lastError().text()));
        return ok;
    }

    QTemporaryDir dir;
    QString address = "sqlite:" + dir.filePath("journal.sqlite");
    bool ok = false;
};

QStringList column(QTableView *view, int c)
{
    QStringList cells;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        cells.append(view->model()->index(r, c).data().toString());
    return cells;
}

void clickHeader(QTableView *view, int section)
{
    QHeaderView *header = view->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(section) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class TstJournalWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void rowsFilterAndSort();
    void answersOnDoubleClick();
    void statistics();
    void csvOfTheRowsShown();
    void deleteAfterConfirmation_data();
    void deleteAfterConfirmation();
    void unusableJournalIsTold_data();
    void unusableJournalIsTold();
    void damagedJournalIsTold();
    void hundredNamesOfAMegabyteShownCut();
    void changedTestIsMarked();
    void openedFromTheMenuAndTheCommandLine();
};

void TstJournalWindow::initTestCase()
{
    QApplication::setQuitOnLastWindowClosed(false);
}

void TstJournalWindow::rowsFilterAndSort()
{
    Fixture f;
    QVERIFY(f.ok);
    JournalWindow w;
    w.show();
    auto *view = w.findChild<QTableView *>("Attempts");
    QStringList captions;
    for (int c = 0; c < view->model()->columnCount(); ++c) {
        if (!view->isColumnHidden(c))
            captions.append(view->model()->headerData(c, Qt::Horizontal).toString());
    }
    QCOMPARE(captions,
             QStringList({"Дата", "Ученик", "Тест", "Время", "Ответов", "Верных", "%", "Оценка"}));
    QCOMPARE(column(view, Journal::Student),
             QStringList({"Сидоров", "Петров Иван", "Иванова Анна"})); // newest first
    QCOMPARE(column(view, Journal::Time), QStringList({"1:35", "1:35", "1:35"}));
    QCOMPARE(column(view, Journal::Grade), QStringList({"", "", "5"}));
    QCOMPARE(column(view, Journal::Date)[2],
             QDateTime(QDate(2026, 12, 10), QTime(9, 1, 35), Qt::UTC)
                     .toLocalTime()
                     .toString("dd.MM.yyyy HH:mm"));

    clickHeader(view, Journal::Percent);
    const QStringList percents = column(view, Journal::Percent);
    QVERIFY(percents == QStringList({"0", "50", "100"})
            || percents == QStringList({"100", "50", "0"}));
    clickHeader(view, Journal::Percent);
    QCOMPARE(column(view, Journal::Percent), QStringList(percents.rbegin(), percents.rend()));

    auto *name = w.findChild<QLineEdit *>("NameFilter");
    name->setFocus();
    typeText(name, "ИВАН");
    QCOMPARE(view->model()->rowCount(), 2);
    name->clear();
    auto *tests = w.findChild<QComboBox *>("TestFilter");
    QCOMPARE(tests->count(), 3); // every test, Реки, Столицы
    tests->setCurrentIndex(tests->findText("Реки"));
    QCOMPARE(column(view, Journal::Student), QStringList{"Сидоров"});
    QVERIFY(w.findChild<QLabel *>("JournalError")->isHidden());
}

void TstJournalWindow::answersOnDoubleClick()
{
    Fixture f;
    JournalWindow w;
    w.show();
    auto *view = w.findChild<QTableView *>("Attempts");
    QString text;
    whenModal([&](QWidget *modal) {
        QCOMPARE(modal->objectName(), QStringLiteral("AnswersDialog"));
        text = modal->findChild<QPlainTextEdit *>("AnswersText")->toPlainText();
        modal->close();
    });
    const QRect cell = view->visualRect(view->model()->index(2, Journal::Student));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTRY_VERIFY(!text.isEmpty());
    QVERIFY2(text.startsWith("Ученик: Иванова Анна\nТест: Столицы"), qPrintable(text));
    QVERIFY(text.contains("Верных: 2 из 2 (100%)\nОценка: 5"));
    QVERIFY(text.contains("1. Столица Франции?\nОтвет: Париж — верно"));
}

void TstJournalWindow::statistics()
{
    Fixture f;
    JournalWindow w;
    w.show();
    auto *tests = w.findChild<QComboBox *>("TestFilter");
    tests->setCurrentIndex(tests->findText("Столицы"));
    QString summary;
    QList<qreal> bars;
    QStringList firstRow;
    whenModal([&](QWidget *modal) {
        QCOMPARE(modal->objectName(), QStringLiteral("StatisticsDialog"));
        summary = modal->findChild<QLabel *>("Summary")->text();
        auto *chart = modal->findChild<QChartView *>("Histogram")->chart();
        QBarSet *set = static_cast<QBarSeries *>(chart->series().first())->barSets().first();
        for (int i = 0; i < set->count(); ++i)
            bars.append(set->at(i));
        auto *table = modal->findChild<QTableWidget *>("Questions");
        for (int c = 0; c < table->columnCount(); ++c)
            firstRow.append(table->item(1, c)->text());
        modal->close();
    });
    w.findChild<QPushButton *>("StatisticsButton")->click();
    QTRY_VERIFY(!summary.isEmpty());
    QCOMPARE(summary, QStringLiteral("Попыток: 2. Средний процент: 75.0. Медиана: 75.0."));
    QCOMPARE(bars, (QList<qreal>{0, 0, 0, 0, 0, 1, 0, 0, 0, 1}));
    QCOMPARE(firstRow, QStringList({"Столица Италии?", "50", "1.00", "Милан (1)"}));
}

void TstJournalWindow::csvOfTheRowsShown()
{
    Fixture f;
    JournalWindow w;
    w.show();
    auto *tests = w.findChild<QComboBox *>("TestFilter");
    tests->setCurrentIndex(tests->findText("Столицы"));
    const QString path = f.dir.filePath("журнал");
    chooseInDialog(path);
    w.findChild<QPushButton *>("ExportButton")->click();
    Journal journal(JournalAddress::parse(f.address));
    const QByteArray csv = fileContents(path + ".csv");
    QCOMPARE(csv, journal.csv({"Столицы", {}}));
    QCOMPARE(csv.count("\r\n"), 3); // the header and two rows
}

void TstJournalWindow::deleteAfterConfirmation_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("left");
    QTest::newRow("yes") << "Да" << 1;
    QTest::newRow("no") << "Нет" << 3;
}

void TstJournalWindow::deleteAfterConfirmation()
{
    QFETCH(QString, answer);
    QFETCH(int, left);
    Fixture f;
    JournalWindow w;
    w.show();
    auto *view = w.findChild<QTableView *>("Attempts");
    view->setFocus();
    view->selectRow(0);
    QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
    QString question;
    whenModalOf<QMessageBox>([&](QMessageBox *box) {
        question = box->text();
        for (QAbstractButton *b : box->buttons()) {
            if (b->text() == answer)
                return b->click();
        }
    });
    w.findChild<QPushButton *>("DeleteButton")->click();
    QCOMPARE(question, QStringLiteral("Удалить выбранные попытки (2) из журнала?"));
    QCOMPARE(view->model()->rowCount(), left);
    Journal journal(JournalAddress::parse(f.address));
    QSqlQuery rows = journal.attempts({});
    int stored = 0;
    while (rows.next())
        ++stored;
    QCOMPARE(stored, left);
}

void TstJournalWindow::unusableJournalIsTold_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QByteArray>("file"); // the SQLite file's bytes; none: no file
    QTest::addColumn<QString>("told");
    QTest::newRow("garbage address") << "ничего" << QByteArray() << "не понят";
    QTest::newRow("corrupt file") << "sqlite:FILE" << QByteArray(8192, 'x') << "не читается";
}

void TstJournalWindow::unusableJournalIsTold()
{
    QFETCH(QString, address);
    QFETCH(QByteArray, file);
    QFETCH(QString, told);
    QTemporaryDir dir;
    const QString path = dir.filePath("journal.sqlite");
    if (!file.isEmpty())
        QVERIFY(writeFile(path, file));
    qputenv("QUIVARA_JOURNAL", address.replace("FILE", path).toUtf8());
    JournalWindow w;
    w.show();
    auto *error = w.findChild<QLabel *>("JournalError");
    QVERIFY(error->isVisible());
    QVERIFY2(error->text().startsWith("Журнал недоступен: ") && error->text().contains(told),
             qPrintable(error->text()));
    QVERIFY(!w.findChild<QTableView *>("Attempts")->isEnabled());
    QVERIFY(!w.findChild<QPushButton *>("DeleteButton")->isEnabled());
    qunsetenv("QUIVARA_JOURNAL");
}

void TstJournalWindow::damagedJournalIsTold()
{
    Fixture f;
    QVERIFY(f.ok);
    QVERIFY(f.exec("CREATE TRIGGER all_fives AFTER INSERT ON attempts"
                   " BEGIN UPDATE attempts SET grade = 5; END"));
    JournalWindow w;
    w.show();
    auto *error = w.findChild<QLabel *>("JournalError");
    QVERIFY(error->isVisible());
    QCOMPARE(error->text(),
             "Журнал повреждён: в файле " + f.dir.filePath("journal.sqlite")
                     + " чужой триггер «all_fives».");
    QVERIFY(!w.findChild<QTableView *>("Attempts")->isEnabled());
}

void TstJournalWindow::hundredNamesOfAMegabyteShownCut()
{
    // Written into the file by hand: the view shows no more of a name than
    // the name box takes, and shows it at once.
    Fixture f;
    QVERIFY(f.ok);
    QVERIFY(f.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n"
                   " WHERE i < 100) INSERT INTO attempts SELECT a.id || '-' || n.i,"
                   " test_title, test_file, test_sha256, test_author,"
                   " replace(hex(zeroblob(524288)), '00', 'Щ'), student_key, computer,"
                   " account, started_utc, finished_utc, seconds, time_limit, questions,"
                   " answered, correct, percent, grade, ended, program_version"
                   " FROM attempts a, n WHERE a.student = 'Сидоров'"));
    JournalWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *view = w.findChild<QTableView *>("Attempts");
    while (view->model()->canFetchMore({}))
        view->model()->fetchMore({});
    const QStringList names = column(view, Journal::Student);
    QCOMPARE(names.size(), 103);
    QCOMPARE(names.count(QString(Attempt::MaxStudentLength, u'Щ')), 100);
}

void TstJournalWindow::changedTestIsMarked()
{
    Fixture f;
    QVERIFY(f.ok);
    {
        Journal journal(JournalAddress::parse(f.address));
        Attempt a = attemptOf("Хитров", "Столицы", 100, 5);
        a.testChanges = {QString(64, u'c')};
        QVERIFY(journal.record(a));
    }
    JournalWindow w;
    w.show();
    auto *view = w.findChild<QTableView *>("Attempts");
    QCOMPARE(column(view, Journal::Student).first(), QStringLiteral("Хитров"));
    QCOMPARE(column(view, Journal::Test).first(),
             QStringLiteral("Столицы (тест изменён во время тестирования)"));
    // The statistics of the row's test are those of its title.
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QRect cell = view->visualRect(view->model()->index(0, Journal::Test));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(view->selectionModel()->selectedRows().size(), 1);
    w.findChild<QPushButton *>("StatisticsButton")->click();
    QDialog *statistics = nullptr;
    QTRY_VERIFY((statistics = w.findChild<QDialog *>("StatisticsDialog")));
    QCOMPARE(statistics->windowTitle(), QStringLiteral("Статистика: Столицы"));
    statistics->close();
}

void TstJournalWindow::openedFromTheMenuAndTheCommandLine()
{
    Fixture f;
    QTemporaryDir lockDir;
    SingleInstance first(lockDir.path());
    const std::unique_ptr<TForm1> form = startEditor(first, {"quivara-builder"});
    QVERIFY(form);
    form->show();
    const QList<QAction *> items = form->findChild<QMenu *>("N1")->actions();
    QCOMPARE(items.last()->text(), QStringLiteral("Журнал результатов..."));
    items.last()->trigger();
    auto *view = form->findChild<JournalWindow *>("JournalWindow");
    QVERIFY(view && view->isVisible());
    view->close();

    // A second start with --journal opens the running editor's journal and nothing else.
    SingleInstance second(lockDir.path());
    QVERIFY(!startEditor(second, {"quivara-builder", "--journal"}));
    QTRY_VERIFY(view->isVisible());
    QCOMPARE(view->findChild<QTableView *>("Attempts")->model()->rowCount(), 3);
}

QTEST_MAIN(TstJournalWindow)
#include "tst_journalwindow.moc"
