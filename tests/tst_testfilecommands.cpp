#include "cp1251.h"
#include "profilefile.h"
#include "testfilecommands.h"
#include "testrun.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace TestFileCommands;

class TstTestFileCommands : public QObject
{
    Q_OBJECT
private slots:
    void loadCapitals();
    void loadRenumbersAndKeepsEmptyOptions();
    void loadMissingFile_data();
    void loadMissingFile();
    void capitalsSaveBackUnchanged();
    void newThenSaveWritesInOrder();
    void saveFewerQuestionsLeavesOldSections();
    void saveAfterGapsRenumbers();
    void multiLineQuestionRoundTrip();
    void roundTripWithTheRunner();
    void failedSaveLeavesFileAsItWas();
    void runOptionsRoundTripWithTheRunner();
    void keepOrderSwitchWrittenWhereNeeded();
};

void TstTestFileCommands::loadCapitals()
{
    const Loaded loaded = loadTestFile(dataPath("capitals.quivara"));
    QVERIFY(loaded.ok);
    QCOMPARE(loaded.test.settings.testName, QStringLiteral("Столицы"));
    QCOMPARE(loaded.test.settings.exitOnComplete, false);
    const EditorDocument &doc = loaded.test.document;
    QCOMPARE(doc.questionTexts(), (QStringList{"Столица Франции?", "Столица Италии?"}));
    QCOMPARE(doc.answers(0), (QStringList{"Лион", "*Париж", "Марсель"}));
    QCOMPARE(doc.answers(1), (QStringList{"*Рим", "Милан"}));
    QCOMPARE(doc.currentQuestion(), -1);
}

void TstTestFileCommands::loadRenumbersAndKeepsEmptyOptions()
{
    const Loaded loaded = loadTestFile(dataPath("editor_gaps.quivara"));
    QVERIFY(loaded.ok);
    const EditorDocument &doc = loaded.test.document;
    // Q1 is missing and Q3 lies beyond LastQ; Q2 has no QLabel.
    QCOMPARE(doc.questionTexts(), (QStringList{"Ноль", "Без текста задания"}));
    QCOMPARE(doc.answers(0), (QStringList{"", "*Да"}));
    QCOMPARE(doc.answers(1), (QStringList{"Первый", "Третий", "  с пробелами  "}));
}

void TstTestFileCommands::loadMissingFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("no-such-file") << "нет/такого.quivara";
    QTest::newRow("directory") << QDir::tempPath();
}

void TstTestFileCommands::loadMissingFile()
{
    QFETCH(QString, path);
    const Loaded loaded = loadTestFile(path);
    QVERIFY(!loaded.ok);
    QCOMPARE(loaded.message, QStringLiteral("Файл \"%1\" не существует!").arg(path));
}

void TstTestFileCommands::capitalsSaveBackUnchanged()
{
    QTemporaryDir dir;
    const QString path = copyOf(dir, "capitals.quivara");
    const Loaded loaded = loadTestFile(path);
    QVERIFY(saveTestFile(path, loaded.test).ok);
    QCOMPARE(fileContents(path), fileContents(dataPath("capitals.quivara")));
}

void TstTestFileCommands::newThenSaveWritesInOrder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("new.quivara");
    QVERIFY(createTestFile(path, QDateTime(QDate(2026, 2, 1), QTime(10, 0))).ok);
    const Loaded loaded = loadTestFile(path);
    QVERIFY(loaded.ok);
    QCOMPARE(loaded.test.settings, TestSettings());
    QCOMPARE(loaded.test.document.questionCount(), 0);
    QVERIFY(saveTestFile(path, loaded.test).ok);
    const QByteArray created = Cp1251::encode(IniDocument::dateTimeText(
            QDateTime(QDate(2026, 2, 1), QTime(10, 0)), QLocale::system()));
    QCOMPARE(fileContents(path),
             "[Test]\r\nCreated=" + created
                     + Cp1251::encode("\r\nProgramm=Quivara\r\nVersion=0.1\r\n"
                                      "TestName=Еще один тест для Quivara\r\n"
                                      "Author=Неизвестный автор\r\n"
                                      "MessageOnComplete=Тест завершен!\r\nAllowFinish=0\r\n"
                                      "ShowResult=1\r\nDisableOpenTest=1\r\nExitOnComplete=1\r\n"
                                      "LastQ=-1\r\n"));

    // Adding a question, unchecking ShowResult and saving again.
    EditorTest test = loaded.test;
    test.settings.showResult = false;
    test.document.addQuestion("Столица Италии?");
    test.document.setAnswersFromLines(0, {"*Рим", "Милан"});
    QVERIFY(saveTestFile(path, test).ok);
    const QByteArray bytes = fileContents(path);
    QVERIFY(bytes.contains("ShowResult=0\r\n"));
    QVERIFY(bytes.endsWith(Cp1251::encode("LastQ=0\r\n[Q0]\r\nQLabel=Столица Италии?\r\nLastA=1\r\n"
                                          "A0=*Рим\r\nA1=Милан\r\n")));
    QVERIFY(bytes.startsWith("[Test]\r\nCreated=" + created + "\r\n"));
}

void TstTestFileCommands::saveFewerQuestionsLeavesOldSections()
{
    QTemporaryDir dir;
    const QString path = copyOf(dir, "capitals.quivara");
    Loaded loaded = loadTestFile(path);
    loaded.test.document.deleteQuestion(1);
    loaded.test.document.setAnswersFromLines(0, {"*Париж"});
    QVERIFY(saveTestFile(path, loaded.test).ok);
    const QByteArray bytes = fileContents(path);
    QVERIFY(bytes.contains("LastQ=0\r\n"));
    QVERIFY(bytes.contains(Cp1251::encode("[Q1]\r\nQLabel=Столица Италии?")));
    QVERIFY(bytes.contains(Cp1251::encode("A2=Марсель")));
    const Loaded again = loadTestFile(path);
    QCOMPARE(again.test.document.questionCount(), 1);
    QCOMPARE(again.test.document.answers(0), QStringList{"*Париж"});
    TestRun run;
    QVERIFY(run.loadTest(path).ok);
    QCOMPARE(run.sections(), QStringList{"Q0"});
    QCOMPARE(run.optionsAsScored(), QStringList{"Париж "});
}

void TstTestFileCommands::saveAfterGapsRenumbers()
{
    QTemporaryDir dir;
    const QString path = copyOf(dir, "editor_gaps.quivara");
    QVERIFY(saveTestFile(path, loadTestFile(path).test).ok);
    const IniDocument doc = ProfileFile(path).read();
    QCOMPARE(doc.readInteger("Test", "LastQ", 9), 1);
    QCOMPARE(doc.readString("Q1", "QLabel", ""), QStringLiteral("Без текста задания"));
    QCOMPARE(doc.readString("Q1", "A2", ""), QStringLiteral("  с пробелами  "));
    QVERIFY(fileContents(path).contains("[Q0]\r\nQLabel=" + Cp1251::encode("Ноль")
                                        + "\r\nLastA=1\r\nA0=\r\n"));
    QVERIFY(doc.sectionExists("Q2")); // the old section stays, beyond LastQ
}

void TstTestFileCommands::multiLineQuestionRoundTrip()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.quivara");
    EditorTest test;
    test.document.addQuestion("Первая строка\nВторая строка");
    test.document.setAnswersFromLines(0, {"*да"});
    QVERIFY(saveTestFile(path, test).ok);
    QVERIFY(fileContents(path).contains(Cp1251::encode("QLabel=Первая строка¶Вторая строка\r\n")));
    QCOMPARE(loadTestFile(path).test, test);
    TestRun run;
    QVERIFY(run.loadTest(path).ok);
    QCOMPARE(run.view().questionText, QStringLiteral("Первая строка\nВторая строка"));
}

void TstTestFileCommands::roundTripWithTheRunner()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("made.quivara");
    EditorTest test;
    test.settings.testName = "\"Война и мир\"";
    test.settings.allowFinish = true;
    test.document.addQuestion(" Кто автор? ");
    test.document.setAnswersFromLines(0, {"*Толстой", "Достоевский", "*'Лев'  "});
    test.document.addQuestion("Год издания?");
    test.document.setAnswersFromLines(1, {"1869", "*1867"});
    QVERIFY(saveTestFile(path, test).ok);
    QCOMPARE(loadTestFile(path).test, test);

    TestRun run;
    QVERIFY(run.loadTest(path).ok);
    QCOMPARE(run.settings().testName, QStringLiteral("\"Война и мир\""));
    QCOMPARE(run.view().questionText, QStringLiteral(" Кто автор? "));
    QCOMPARE(run.optionsAsScored(), (QStringList{"Толстой ", "Достоевский", "'Лев' "}));
    run.next();
    QCOMPARE(run.optionsAsScored(), (QStringList{"1869", "1867 "}));
}

void TstTestFileCommands::failedSaveLeavesFileAsItWas()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("folder-in-the-way");
    QVERIFY(QDir().mkdir(path));
    const Saved saved = saveTestFile(path, loadTestFile(dataPath("capitals.quivara")).test);
    QVERIFY(!saved.ok);
    QCOMPARE(saved.message, QStringLiteral("Unable to write to %1").arg(path));
    QVERIFY(!createTestFile(dir.filePath("no/folder.quivara"), QDateTime::currentDateTime()).ok);
}

void TstTestFileCommands::runOptionsRoundTripWithTheRunner()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("taking.quivara");
    EditorTest test;
    test.options.shuffleQuestions = true;
    test.options.shuffleAnswers = true;
    test.options.timeLimit = 25;
    test.options.askName = true;
    test.options.grades = true;
    test.options.grade5 = 90;
    test.options.grade4 = 75;
    test.options.grade3 = 40;
    test.options.review = RunOptions::StudentAnswers;
    test.document.addQuestion("Чётные?");
    test.document.setAnswersFromLines(0, {"*2", "3", "Все ответы верны"});
    test.document.setKeepsOptionOrder(0, true);
    test.document.addQuestion("Нечётные?");
    test.document.setAnswersFromLines(1, {"*3", "4"});
    QVERIFY(saveTestFile(path, test).ok);
    // In a fresh file the keys follow LastQ, and Shuffle the last option.
    const QByteArray bytes = fileContents(path);
    QVERIFY(bytes.contains("LastQ=1\r\nShuffleQuestions=1\r\nShuffleAnswers=1\r\nTimeLimit=25\r\n"
                           "AskName=1\r\nGrade5=90\r\nGrade4=75\r\nGrade3=40\r\nReview=1\r\n[Q0]"));
    QVERIFY(bytes.contains(Cp1251::encode("A2=Все ответы верны\r\nShuffle=0\r\n[Q1]")));
    QVERIFY(!bytes.mid(bytes.indexOf("[Q1]")).contains("Shuffle"));
    QCOMPARE(loadTestFile(path).test, test);

    TestRun run;
    QVERIFY(run.loadTest(path).ok);
    const RunOptions &o = run.options();
    QCOMPARE(o, test.options);
    QVERIFY(run.awaitsName());
    QVERIFY(run.giveName("Ученик"));
    QCOMPARE(run.remaining(), qint64(25) * 60 * 1000);
    // The question that keeps its order shows its options as written.
    const int kept = int(run.sections().indexOf("Q0"));
    while (run.current() != kept)
        run.next();
    QCOMPARE(run.optionsAsScored(), (QStringList{"2 ", "3", "Все ответы верны"}));
}

void TstTestFileCommands::keepOrderSwitchWrittenWhereNeeded()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.quivara");
    QVERIFY(writeFile(path,
                      Cp1251::encode("[Test]\r\nLastQ=1\r\n[Q0]\r\nQLabel=a\r\nLastA=0\r\n"
                                     "A0=*x\r\nShuffle=0\r\n[Q1]\r\nQLabel=b\r\n"
                                     "LastA=0\r\nA0=*y\r\n")));
    EditorTest test = loadTestFile(path).test;
    QVERIFY(test.document.keepsOptionOrder(0));
    QVERIFY(!test.document.keepsOptionOrder(1));
    // Turned back on, a key in the file is written as 1, never dropped.
    test.document.setKeepsOptionOrder(0, false);
    QVERIFY(saveTestFile(path, test).ok);
    const QByteArray bytes = fileContents(path);
    QVERIFY(bytes.contains("A0=*x\r\nShuffle=1\r\n[Q1]"));
    QVERIFY(bytes.endsWith("A0=*y\r\n"));
    QCOMPARE(loadTestFile(path).test, test);
}

QTEST_GUILESS_MAIN(TstTestFileCommands)
#include "tst_testfilecommands.moc"
