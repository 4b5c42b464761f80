#include "cp1251.h"
#include "testrun.h"
#include "testfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

class TstTestRun : public QObject
{
    Q_OBJECT
private slots:
    void attemptForTheJournal_data();
    void attemptForTheJournal();
    void startState();
    void loadShowsFirstQuestion();
    void missingFileChangesNothing_data();
    void missingFileChangesNothing();
    void testWithoutQuestions();
    void emptyTestDuringRunReturnsToStart();
    void optionsAsShown();
    void pickStoresShownText();
    void pickingTheSelectedOptionIsNoPick();
    void answersKeptWhileMoving();
    void returningSelectsFirstCaseInsensitiveMatch();
    void finishRuleWithoutAllowFinish();
    void finishRuleWithAllowFinish();
    void questionWithoutOptionsBlocksFinish();
    void singleQuestion();
    void fileChangesShowAtNextQuestion();
    void finishReturnsToStart();
    void secondTestStartsAfresh();
    void shuffledQuestionsTakeEveryPlace();
    void shuffledOptions();
    void timeLeft_data();
    void timeLeft();
    void timeUpFinishesWithoutAllowFinish();
    void nameBeforeFirstQuestion();
    void gradeEndsTheResult_data();
    void gradeEndsTheResult();
    void reviewInOrderShown();
    void reviewText_data();
    void reviewText();
};

namespace {

// A test of four questions, each with its correct option first, and the
// settings given.
QString writeTaking(const QTemporaryDir &dir, const QString &settings)
{
    QString text = QStringLiteral("[Test]\r\nTestName=Проба\r\nLastQ=3\r\n") + settings;
    for (int n = 0; n < 4; ++n) {
        text += QStringLiteral("[Q%1]\r\nQLabel=Вопрос %1\r\nLastA=2\r\n"
                               "A0=*верно %1\r\nA1=неверно %1\r\nA2=тоже неверно %1\r\n")
                        .arg(n);
    }
    const QString path = dir.filePath(QStringLiteral("taking.quivara"));
    writeFile(path, Cp1251::encode(text));
    return path;
}

} // namespace

void TstTestRun::startState()
{
    const TestRun run;
    QVERIFY(!run.view().questionViewVisible);
    QVERIFY(run.view().startButtonVisible);
    QVERIFY(run.view().openTestEnabled);
    QVERIFY(!run.view().finishEnabled);
    QCOMPARE(run.view().counter, QStringLiteral("Вопрос:"));
}

void TstTestRun::loadShowsFirstQuestion()
{
    TestRun run;
    QCOMPARE(run.loadTest(dataPath("capitals.quivara")).message, QString());
    const RunView &v = run.view();
    QCOMPARE(run.sections(), (QStringList{"Q0", "Q1"}));
    QCOMPARE(run.answers(), (QStringList{"", ""}));
    QCOMPARE(v.titleSuffix, QStringLiteral(" - Столицы"));
    QCOMPARE(v.counter, QStringLiteral("Вопрос 1 из 2:"));
    QCOMPARE(v.questionText, QStringLiteral("Столица Франции?"));
    QCOMPARE(v.options, (QStringList{"Лион", "Париж", "Марсель"}));
    QCOMPARE(v.selected, -1);
    QVERIFY(!v.backEnabled);
    QVERIFY(v.nextEnabled);
    QVERIFY(!v.finishEnabled);
    QVERIFY(v.questionViewVisible);
    QVERIFY(!v.startButtonVisible);
    QVERIFY(!v.openTestEnabled); // DisableOpenTest=1
}

void TstTestRun::missingFileChangesNothing_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("no-such-file") << "no/such/file.quivara";
    QTest::newRow("directory") << QDir::tempPath();
}

void TstTestRun::missingFileChangesNothing()
{
    QFETCH(QString, path);
    TestRun run;
    QVERIFY(run.loadTest(dataPath("capitals.quivara")).ok);
    run.pick(1);
    QCOMPARE(run.loadTest(path).message, QStringLiteral("Файл \"%1\" не существует!").arg(path));
    QCOMPARE(run.sections(), (QStringList{"Q0", "Q1"}));
    QCOMPARE(run.answers(), (QStringList{"Париж ", ""}));
    QCOMPARE(run.view().titleSuffix, QStringLiteral(" - Столицы"));
    QVERIFY(run.view().questionViewVisible);
}

void TstTestRun::testWithoutQuestions()
{
    TestRun run;
    QCOMPARE(run.loadTest(dataPath("no_questions.quivara")).message,
             QStringLiteral("В этом тесте нет тестовых заданий!\r\n\r\n"
                            "Обратитесь к составителю этого теста (Петров) "
                            "и спросите, что он имел этим ввиду."));
    QCOMPARE(run.view().titleSuffix, QStringLiteral(" - Пустой"));
    QVERIFY(run.sections().isEmpty());
    QVERIFY(!run.view().questionViewVisible);
    QVERIFY(run.view().startButtonVisible);
}

void TstTestRun::emptyTestDuringRunReturnsToStart()
{
    TestRun run;
    QVERIFY(run.loadTest(dataPath("three_questions.quivara")).ok);
    run.pick(0);
    QVERIFY(!run.loadTest(dataPath("no_questions.quivara")).ok);
    const RunView v = run.view();
    QVERIFY(!v.questionViewVisible);
    QVERIFY(v.startButtonVisible);
    QVERIFY(v.openTestEnabled);
    QVERIFY(!v.finishEnabled && !v.nextEnabled && !v.backEnabled);
    // Nothing acts on the emptied lists.
    run.pick(1);
    run.next();
    run.back();
    QVERIFY(run.answers().isEmpty());
}

void TstTestRun::optionsAsShown()
{
    TestRun run;
    QVERIFY(run.loadTest(dataPath("options.quivara")).ok);
    QCOMPARE(run.view().questionText, QStringLiteral("Первая строка\nВторая строка"));
    // Quoted trailing blanks go; a correct option is shown without its mark,
    // and nothing on screen tells it from a wrong one; "*" alone is an empty
    // correct option; an empty option is not shown; keys above LastA are
    // ignored.
    QCOMPARE(run.view().options, (QStringList{"Лион", "Париж", "Рим", "Рим", "", "Конец"}));
    // Scored as before: the correct "Рим" is the fourth.
    run.pick(3);
    QVERIFY(TestLayout::isCorrectAnswer(run.answers().first()));
    run.pick(2);
    QVERIFY(!TestLayout::isCorrectAnswer(run.answers().first()));
}

void TstTestRun::pickStoresShownText()
{
    TestRun run;
    QVERIFY(run.loadTest(dataPath("options.quivara")).ok);
    run.pick(2);
    QCOMPARE(run.answers(), QStringList{"Рим"});
    QVERIFY(!TestLayout::isCorrectAnswer(run.answers().first()));
    run.pick(3);
    QCOMPARE(run.answers(), QStringList{"Рим "});
    QVERIFY(TestLayout::isCorrectAnswer(run.answers().first()));
    QCOMPARE(run.view().selected, 3);
    run.pick(99);
    QCOMPARE(run.view().selected, 3);
}

void TstTestRun::pickingTheSelectedOptionIsNoPick()
{
    TestRun run;
    QVERIFY(run.loadTest(dataPath("three_questions.quivara")).ok);
    QVERIFY(run.pick(0));
    QCOMPARE(run.view().selected, 0);
    QVERIFY(!run.pick(0));
    QCOMPARE(run.answers().first(), QStringLiteral("да "));
    QVERIFY(run.pick(1)); // another option is a pick again
    QVERIFY(!run.pick(1));
}

void TstTestRun::answersKeptWhileMoving()
{
    TestRun run;
    QVERIFY(run.loadTest(dataPath("capitals.quivara")).ok);
    run.pick(1);
    run.next();
    QCOMPARE(run.current(), 1);
    QCOMPARE(run.view().selected, -1);
    QVERIFY(run.view().backEnabled);
    QVERIFY(!run.view().nextEnabled);
    run.pick(1);
    run.next(); // not offered on the last question
    QCOMPARE(run.current(), 1);
    run.back();
    QCOMPARE(run.current(), 0);
    QCOMPARE(run.view().selected, 1);
    QCOMPARE(run.answers(), (QStringList{"Париж ", "Милан"}));
}

void TstTestRun::returningSelectsFirstCaseInsensitiveMatch()
{
    TestRun run;
    QVERIFY(run.loadTest(dataPath("three_questions.quivara")).ok);
    run.next();
    QCOMPARE(run.view().options, (QStringList{"Да", "да"}));
    run.pick(1);
    run.back();
    run.next();
    // "да " differs from "Да" in more than case (the blank), so it is found again.
    QCOMPARE(run.view().selected, 1);

    // Make both options differ only in case: the first in list order wins and
    // its text becomes the answer.
    QTemporaryDir dir;
    const QString path = copyOf(dir, "three_questions.quivara");
    QVERIFY(run.loadTest(path).ok);
    run.next();
    run.pick(1);
    ProfileFile file(path);
    QVERIFY(file.writeString("Q1", "A0", "*ДА"));
    run.back();
    run.next();
    QCOMPARE(run.view().options, (QStringList{"ДА", "да"}));
    QCOMPARE(run.view().selected, 0);
    QCOMPARE(run.answers()[1], QStringLiteral("ДА "));
}

void TstTestRun::finishRuleWithoutAllowFinish()
{
    TestRun run;
    QVERIFY(run.loadTest(dataPath("three_questions.quivara")).ok);
    run.pick(0);
    QVERIFY(!run.view().finishEnabled);
    run.next();
    run.next();
    run.pick(1);
    QVERIFY(!run.view().finishEnabled);
    run.back();
    QVERIFY(!run.view().finishEnabled);
    run.pick(0);
    QVERIFY(run.view().finishEnabled);
    // Stays enabled while moving, as every answer is kept.
    run.back();
    QVERIFY(run.view().finishEnabled);
    run.next();
    run.next();
    QVERIFY(run.view().finishEnabled);
}

void TstTestRun::finishRuleWithAllowFinish()
{
    QTemporaryDir dir;
    const QString path = copyOf(dir, "three_questions.quivara");
    QVERIFY(ProfileFile(path).writeBool("Test", "AllowFinish", true));
    TestRun run;
    QVERIFY(run.loadTest(path).ok);
    QVERIFY(run.view().finishEnabled);
    const TestRun::Finish finish = run.finish();
    QVERIFY(finish.message.contains(QStringLiteral("Дано ответов: 0 (0%)")));
}

void TstTestRun::questionWithoutOptionsBlocksFinish()
{
    QTemporaryDir dir;
    const QString path = copyOf(dir, "capitals.quivara");
    QVERIFY(ProfileFile(path).writeInteger("Q1", "LastA", -1));
    TestRun run;
    QVERIFY(run.loadTest(path).ok);
    run.pick(0);
    run.next();
    QVERIFY(run.view().options.isEmpty());
    run.pick(0);
    QVERIFY(!run.view().finishEnabled);
}

void TstTestRun::singleQuestion()
{
    TestRun run;
    QVERIFY(run.loadTest(dataPath("no_last_q.quivara")).ok);
    QCOMPARE(run.view().counter, QStringLiteral("Вопрос 1 из 1:"));
    QVERIFY(!run.view().backEnabled);
    QVERIFY(!run.view().nextEnabled);
    QVERIFY(run.view().options.isEmpty());
}

void TstTestRun::fileChangesShowAtNextQuestion()
{
    QTemporaryDir dir;
    const QString path = copyOf(dir, "capitals.quivara");
    TestRun run;
    QVERIFY(run.loadTest(path).ok);
    ProfileFile file(path);
    QVERIFY(file.writeString("Q1", "QLabel", "Столица Германии?"));
    run.next();
    QCOMPARE(run.view().questionText, QStringLiteral("Столица Германии?"));

    // A vanished section shows an empty question; a vanished file likewise.
    QFile raw(path);
    QVERIFY(raw.open(QIODevice::WriteOnly | QIODevice::Truncate));
    raw.write("[Test]\r\nLastQ=1\r\n[Q0]\r\nQLabel=x\r\n");
    raw.close();
    run.next();
    run.back();
    QCOMPARE(run.view().questionText, QStringLiteral("x"));
    QVERIFY(QFile::remove(path));
    run.next();
    QCOMPARE(run.view().questionText, QString());
    QVERIFY(run.view().options.isEmpty());
    QCOMPARE(run.sections(), (QStringList{"Q0", "Q1"}));
}

void TstTestRun::finishReturnsToStart()
{
    TestRun run;
    QVERIFY(run.loadTest(dataPath("capitals.quivara")).ok);
    run.pick(1);
    run.next();
    run.pick(1);
    QVERIFY(run.view().finishEnabled);
    const TestRun::Finish finish = run.finish();
    QCOMPARE(finish.message,
             QStringLiteral("Тест завершен!\r\n\r\nВсего вопросов: 2\r\nДано ответов: 2 (100%)\r\n"
                            "Правильных ответов: 1 (50%)"));
    QCOMPARE(finish.exitProgram, false);
    QVERIFY(!run.view().questionViewVisible);
    QVERIFY(run.view().startButtonVisible);
    QVERIFY(run.view().openTestEnabled);
    QCOMPARE(run.view().titleSuffix, QStringLiteral(" - Столицы"));
}

void TstTestRun::secondTestStartsAfresh()
{
    TestRun run;
    QVERIFY(run.loadTest(dataPath("capitals.quivara")).ok);
    run.pick(0);
    run.next();
    run.pick(0);
    QVERIFY(run.view().finishEnabled);
    run.finish();
    QVERIFY(run.loadTest(dataPath("three_questions.quivara")).ok);
    QVERIFY(!run.view().finishEnabled);
    QVERIFY(run.view().openTestEnabled); // DisableOpenTest=0
    QCOMPARE(run.answers(), (QStringList{"", "", ""}));
    QCOMPARE(run.current(), 0);
}

void TstTestRun::shuffledQuestionsTakeEveryPlace()
{
    QTemporaryDir dir;
    const QString path = writeTaking(dir, "ShuffleQuestions=1\r\n");
    TestRun run;
    run.setSeed(12345);
    const QStringList fileOrder{"Q0", "Q1", "Q2", "Q3"};
    // Counted: how often question q came at place p.
    int seen[4][4] = {};
    const int runs = 2400;
    for (int i = 0; i < runs; ++i) {
        QVERIFY(run.loadTest(path).ok);
        QStringList order = run.sections();
        // The counter counts in the order shown.
        QCOMPARE(run.view().counter, QStringLiteral("Вопрос 1 из 4:"));
        QCOMPARE(run.view().questionText, QStringLiteral("Вопрос ") + order[0].mid(1));
        for (int place = 0; place < 4; ++place)
            ++seen[order[place].mid(1).toInt()][place];
        std::sort(order.begin(), order.end());
        QCOMPARE(order, fileOrder); // none lost, none twice
    }
    for (int q = 0; q < 4; ++q) {
        for (int place = 0; place < 4; ++place) {
            // 600 expected; the bounds are over six standard deviations wide.
            QVERIFY2(seen[q][place] > 480 && seen[q][place] < 720,
                     qPrintable(QStringLiteral("question %1 came %2 times at place %3")
                                        .arg(q)
                                        .arg(seen[q][place])
                                        .arg(place)));
        }
    }
    // Without the key, the file's order.
    const QString plain = writeTaking(dir, QString());
    QVERIFY(run.loadTest(plain).ok);
    QCOMPARE(run.sections(), fileOrder);
}

void TstTestRun::shuffledOptions()
{
    QTemporaryDir dir;
    QString path = writeTaking(dir, "ShuffleAnswers=1\r\n");
    // The second question keeps its options' order.
    QByteArray bytes = fileContents(path);
    bytes.replace(Cp1251::encode("A2=тоже неверно 1\r\n"),
                  Cp1251::encode("A2=тоже неверно 1\r\nShuffle=0\r\n"));
    writeFile(path, bytes);
    const QStringList fileOrder{"верно 0", "неверно 0", "тоже неверно 0"};
    TestRun run;
    run.setSeed(7);
    QSet<QString> orders;
    for (int i = 0; i < 300; ++i) {
        QVERIFY(run.loadTest(path).ok);
        const QStringList shown = run.view().options;
        QStringList sorted = shown;
        std::sort(sorted.begin(), sorted.end());
        QStringList expected = fileOrder;
        std::sort(expected.begin(), expected.end());
        QCOMPARE(sorted, expected);
        orders.insert(shown.join(u'|'));
        // Drawn once per run: going on and back shows the same order.
        run.next();
        QCOMPARE(run.view().options,
                 (QStringList{"верно 1", "неверно 1", "тоже неверно 1"})); // Shuffle=0
        run.back();
        QCOMPARE(run.view().options, shown);
    }
    QCOMPARE(orders.size(), 6); // every order of three came

    // The answer is the option's text, wherever it stands.
    QVERIFY(run.loadTest(path).ok);
    run.pick(int(run.view().options.indexOf("верно 0")));
    QCOMPARE(run.answers().first(), QStringLiteral("верно 0 "));
    QVERIFY(run.finish().message.contains(QStringLiteral("Правильных ответов: 1 (25%)")));
}

void TstTestRun::timeLeft_data()
{
    QTest::addColumn<int>("minutes");
    QTest::addColumn<qint64>("elapsed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("red");
    QTest::newRow("a minute, at the start") << 1 << qint64(0) << "Осталось: 1:00" << true;
    QTest::newRow("rounded up") << 1 << qint64(500) << "Осталось: 1:00" << true;
    QTest::newRow("a second gone") << 1 << qint64(1000) << "Осталось: 0:59" << true;
    QTest::newRow("the last millisecond") << 1 << qint64(59999) << "Осталось: 0:01" << true;
    QTest::newRow("ten minutes") << 10 << qint64(0) << "Осталось: 10:00" << false;
    QTest::newRow("just over a minute left") << 10 << qint64(539000) << "Осталось: 1:01" << false;
    QTest::newRow("a minute left") << 10 << qint64(540000) << "Осталось: 1:00" << true;
    QTest::newRow("an hour and a half") << 90 << qint64(0) << "Осталось: 1:30:00" << false;
    QTest::newRow("an hour, rounded up")
            << 90 << qint64(1800000 - 999) << "Осталось: 1:00:01" << false;
    QTest::newRow("under an hour") << 90 << qint64(1800001) << "Осталось: 1:00:00" << false;
    QTest::newRow("59:59") << 90 << qint64(1801000) << "Осталось: 59:59" << false;
    QTest::newRow("a day") << 1440 << qint64(0) << "Осталось: 24:00:00" << false;
}

void TstTestRun::timeLeft()
{
    QFETCH(int, minutes);
    QFETCH(qint64, elapsed);
    QTemporaryDir dir;
    const QString path = writeTaking(dir, QStringLiteral("TimeLimit=%1\r\n").arg(minutes));
    qint64 now = 1000000; // any monotonic start
    TestRun run;
    run.setClock([&] { return now; });
    QVERIFY(run.loadTest(path).ok);
    now += elapsed;
    QVERIFY(!run.updateClock());
    QTEST(run.view().timeLeft, "shown");
    QTEST(run.view().timeRunningOut, "red");
}

void TstTestRun::timeUpFinishesWithoutAllowFinish()
{
    QTemporaryDir dir;
    const QString path = writeTaking(dir, "TimeLimit=2\r\nAllowFinish=0\r\n");
    qint64 now = 0;
    TestRun run;
    run.setClock([&] { return now; });
    QVERIFY(run.loadTest(path).ok);
    run.pick(0);
    QVERIFY(!run.view().finishEnabled); // three questions are unanswered
    now = 2 * 60 * 1000 - 1;
    QVERIFY(!run.updateClock());
    QCOMPARE(run.view().timeLeft, QStringLiteral("Осталось: 0:01"));
    now += 1;
    QVERIFY(run.updateClock());
    QCOMPARE(run.view().timeLeft, QStringLiteral("Осталось: 0:00"));
    const TestRun::Finish f = run.timeUp();
    QVERIFY(f.timeUp);
    QVERIFY(f.message.contains(QStringLiteral("Дано ответов: 1 (25%)")));
    QVERIFY(!run.view().questionViewVisible);
    QCOMPARE(run.view().timeLeft, QString());
    // Over, the clock says nothing more.
    now += 60000;
    QVERIFY(!run.updateClock());

    // Untimed tests show no time, however long.
    QVERIFY(run.loadTest(writeTaking(dir, QString())).ok);
    now += 10LL * 24 * 3600 * 1000;
    QVERIFY(!run.updateClock());
    QCOMPARE(run.view().timeLeft, QString());
}

void TstTestRun::nameBeforeFirstQuestion()
{
    QTemporaryDir dir;
    const QString path = writeTaking(dir, "AskName=1\r\nTimeLimit=1\r\n");
    qint64 now = 0;
    TestRun run;
    run.setClock([&] { return now; });
    QVERIFY(run.loadTest(path).ok);
    QVERIFY(run.awaitsName());
    QVERIFY(!run.view().questionViewVisible);
    QCOMPARE(run.view().timeLeft, QString());
    QVERIFY(!run.giveName(QString()));
    QVERIFY(!run.giveName(QStringLiteral(" \t ")));
    QVERIFY(run.awaitsName());
    // The clock starts with the first question, after the name.
    now = 30000;
    QVERIFY(run.giveName(QStringLiteral(" Иванова Анна ")));
    QCOMPARE(run.studentName(), QStringLiteral("Иванова Анна"));
    QCOMPARE(run.view().titleSuffix, QStringLiteral(" - Проба - Иванова Анна"));
    QVERIFY(run.view().questionViewVisible);
    QCOMPARE(run.view().counter, QStringLiteral("Вопрос 1 из 4:"));
    QCOMPARE(run.remaining(), qint64(60000));

    // Refused, the window returns to its start.
    QVERIFY(run.loadTest(path).ok);
    QCOMPARE(run.studentName(), QString());
    run.refuseName();
    QVERIFY(!run.awaitsName());
    QVERIFY(run.view().startButtonVisible);
    QVERIFY(run.view().openTestEnabled);
    QVERIFY(!run.view().questionViewVisible);
}

void TstTestRun::gradeEndsTheResult_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("ending");
    QTest::newRow("shown") << "ShowResult=1\r\nGrade5=90\r\nGrade4=50\r\nGrade3=25\r\n"
                           << "Правильных ответов: 2 (50%)\r\nОценка: 4";
    QTest::newRow("without grades") << "ShowResult=1\r\n"
                                    << "Правильных ответов: 2 (50%)";
    QTest::newRow("without the result") << "ShowResult=0\r\nGrade5=90\r\nGrade4=50\r\nGrade3=25\r\n"
                                        << "Тест завершен!";
}

void TstTestRun::gradeEndsTheResult()
{
    QFETCH(QString, settings);
    QTemporaryDir dir;
    TestRun run;
    QVERIFY(run.loadTest(writeTaking(dir, settings)).ok);
    run.pick(int(run.view().options.indexOf("верно 0")));
    run.next();
    run.pick(int(run.view().options.indexOf("верно 1")));
    QFETCH(QString, ending);
    const QString message = run.finish().message;
    QVERIFY2(message.endsWith(ending), qPrintable(message));
    QCOMPARE(message.contains(QStringLiteral("Оценка")), ending.contains(QStringLiteral("Оценка")));
}

void TstTestRun::reviewInOrderShown()
{
    QTemporaryDir dir;
    const QString path = writeTaking(dir, "ShuffleQuestions=1\r\nReview=2\r\n");
    TestRun run;
    run.setSeed(99);
    QVERIFY(run.loadTest(path).ok);
    const QStringList order = run.sections();
    run.pick(int(run.view().options.indexOf("неверно " + order[0].mid(1))));
    run.next();
    run.pick(int(run.view().options.indexOf("верно " + order[1].mid(1))));
    const TestRun::Finish f = run.finish();
    QCOMPARE(f.reviewLevel, RunOptions::WithCorrectOptions);
    QCOMPARE(f.review.size(), 4);
    for (int i = 0; i < 4; ++i) {
        const ReviewItem &item = f.review[i];
        const QString n = order[i].mid(1);
        QCOMPARE(item.number, i + 1);
        QCOMPARE(item.question, QStringLiteral("Вопрос ") + n);
        QCOMPARE(item.answer, i == 0 ? "неверно " + n : i == 1 ? "верно " + n : QString());
        QCOMPARE(item.correct, i == 1);
        QCOMPARE(item.correctOptions, QStringList{"верно " + n});
    }
    // Without the key, no review.
    QVERIFY(run.loadTest(writeTaking(dir, QString())).ok);
    QVERIFY(run.finish().review.isEmpty());
}

void TstTestRun::reviewText_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("text");
    QTest::newRow("the student's answers")
            << 1
            << "1. Столица Франции?\nОтвет: Лион — неверно\n\n"
               "2. Столица\nИспании?\nОтвет: нет ответа — неверно\n\n"
               "3. Чётные числа?\nОтвет: 2 — верно";
    QTest::newRow("and the correct options")
            << 2
            << "1. Столица Франции?\nОтвет: Лион — неверно\nПравильный ответ: Париж\n\n"
               "2. Столица\nИспании?\nОтвет: нет ответа — неверно\nПравильный ответ: Мадрид\n\n"
               "3. Чётные числа?\nОтвет: 2 — верно\nПравильные ответы: 2; 4";
}

void TstTestRun::reviewText()
{
    QFETCH(int, level);
    const QList<ReviewItem> items{
            {1, "Столица Франции?", "Лион", false, {"Париж"}},
            {2, "Столица\nИспании?", QString(), false, {"Мадрид"}},
            {3, "Чётные числа?", "2", true, {"2", "4"}},
    };
    QTEST(::reviewText(items, RunOptions::Review(level)), "text");
}

void TstTestRun::attemptForTheJournal_data()
{
    QTest::addColumn<bool>("byTime");
    QTest::addColumn<bool>("shuffled");
    QTest::newRow("finished by the student") << false << false;
    QTest::newRow("the time ran out, questions shuffled") << true << true;
}

void TstTestRun::attemptForTheJournal()
{
    QFETCH(bool, byTime);
    QFETCH(bool, shuffled);
    QTemporaryDir dir;
    const QString path = writeTaking(dir,
                                     QStringLiteral("TimeLimit=5\r\nAllowFinish=1\r\n"
                                                    "Grade5=90\r\nGrade4=70\r\nGrade3=50\r\n")
                                             + (shuffled ? "ShuffleQuestions=1\r\n" : ""));
    qint64 now = 1000;
    TestRun run;
    run.setSeed(7);
    run.setClock([&] { return now; });
    QVERIFY(run.loadTest(path).ok);
    const QStringList shown = run.sections();
    run.pick(0); // correct
    run.next();
    run.pick(1); // wrong
    run.next();
    run.pick(0); // correct; the last question is left
    now += 125 * 1000 + 999;
    const TestRun::Finish f = byTime ? run.timeUp() : run.finish();
    const Attempt &a = f.attempt;
    QCOMPARE(a.id.size(), 36);
    QCOMPARE(a.testTitle, QStringLiteral("Проба"));
    QCOMPARE(a.testFile, QFileInfo(path).absoluteFilePath());
    QCOMPARE(a.testSha256,
             QString::fromLatin1(
                     QCryptographicHash::hash(fileContents(path), QCryptographicHash::Sha256)
                             .toHex()));
    QCOMPARE(a.student, QString()); // no name asked
    QCOMPARE(a.seconds, 125);
    QCOMPARE(a.timeLimit, 5);
    QCOMPARE(a.questions, 4);
    QCOMPARE(a.answered, 3);
    QCOMPARE(a.correct, 2);
    QCOMPARE(a.percent, 50);
    QCOMPARE(a.grade, 3);
    QCOMPARE(a.ended, byTime ? QStringLiteral("time") : QStringLiteral("student"));
    QCOMPARE(a.version, QStringLiteral("0.1"));
    QVERIFY(a.started.isValid() && a.finished >= a.started);
    QCOMPARE(a.answers.size(), 4);
    for (int i = 0; i < 4; ++i) { // in the order shown
        QCOMPARE(a.answers[i].section, shown[i]);
        QCOMPARE(a.answers[i].question, QStringLiteral("Вопрос ") + shown[i].mid(1));
    }
    QCOMPARE(a.answers[0].answer, QStringLiteral("верно ") + shown[0].mid(1));
    QVERIFY(a.answers[0].correct);
    QCOMPARE(a.answers[1].answer, QStringLiteral("неверно ") + shown[1].mid(1));
    QVERIFY(!a.answers[1].correct);
    QVERIFY(a.answers[3].answer.isNull());
    QVERIFY(!a.answers[3].correct);
}
QTEST_GUILESS_MAIN(TstTestRun)
#include "tst_testrun.moc"
