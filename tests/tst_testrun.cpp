#include "cp1251.h"
#include "testrun.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TstTestRun : public QObject
{
    Q_OBJECT
private slots:
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
};

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
    QCOMPARE(v.options, (QStringList{"Лион", "Париж ", "Марсель"}));
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
    // Quoted trailing blanks go; a correct option ends in exactly one blank;
    // "*" alone is an empty-looking correct option; an empty option is not
    // shown; keys above LastA are ignored.
    QCOMPARE(run.view().options, (QStringList{"Лион", "Париж ", "Рим", "Рим ", " ", "Конец"}));
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
    QCOMPARE(run.view().options, (QStringList{"Да", "да "}));
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
    QCOMPARE(run.view().options, (QStringList{"ДА ", "да "}));
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

QTEST_GUILESS_MAIN(TstTestRun)
#include "tst_testrun.moc"
