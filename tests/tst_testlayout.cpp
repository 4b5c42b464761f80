#include "cp1251.h"
#include "testlayout.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include "testfiles.h"

#include "timelimits.h"

namespace {

IniDocument fixture(const QString &name)
{
    return IniDocument::parse(fileContents(dataPath(name)));
}

} // namespace

class TstTestLayout : public QObject
{
    Q_OBJECT
private slots:
    void questionNumbers_data();
    void questionNumbers();
    void readQuestion_data();
    void readQuestion();
    void hugeLastNumbersCostNothing();
    void settingsDefaults();
    void settingsFromFile();
    void settingsWriteInOrder();
    void questionTextLineBreaks_data();
    void questionTextLineBreaks();
    void runOptionsRead_data();
    void runOptionsRead();
    void questionShuffleSwitch_data();
    void questionShuffleSwitch();
    void runOptionsWrite_data();
    void runOptionsWrite();
    void runOptionsRoundTrip();
    void grades_data();
    void grades();
    void gradesOutOfOrder_data();
    void gradesOutOfOrder();
};

void TstTestLayout::questionNumbers_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QList<int>>("numbers");
    QTest::newRow("gaps-and-bare-headers") << "gaps.quivara" << QList<int>{0, 3};
    QTest::newRow("no-last-q-means-q0-only") << "no_last_q.quivara" << QList<int>{0};
    QTest::newRow("bare-q0-is-no-question") << "no_questions.quivara" << QList<int>{};
    QTest::newRow("capitals") << "capitals.quivara" << QList<int>{0, 1};
    QTest::newRow("huge-last-q") << "huge_last_q.quivara" << QList<int>{0, 7};
}

void TstTestLayout::questionNumbers()
{
    QFETCH(QString, file);
    QFETCH(QList<int>, numbers);
    const IniDocument doc = fixture(file);
    QCOMPARE(TestLayout::questionNumbers(doc, TestLayout::lastQuestion(doc)), numbers);
}

void TstTestLayout::readQuestion_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("numbers");
    const QString options
            = "A2=c\r\na0=a\r\nA01=x\r\nA 1=x\r\nA5=\r\nA6=over\r\nAB=x\r\nA0=again\r\n";
    QTest::newRow("sorted-case-insensitive-no-leading-zeros")
            << "[q0]\r\nqlabel=Текст\r\nLastA=5\r\n" + options << "Текст" << QList<int>{0, 2, 5};
    QTest::newRow("last-a-bounds")
            << "[Q0]\r\nlasta=2\r\n" + options << QString() << QList<int>{0, 2};
    QTest::newRow("no-last-a-means-0") << "[Q0]\r\n" + options << QString() << QList<int>{0};
    QTest::newRow("negative-last-a")
            << "[Q0]\r\nLastA=-1\r\n" + options << QString() << QList<int>{};
    QTest::newRow("empty-text") << "[Q0]\r\nQLabel=\r\n"
                                << "" << QList<int>{};
    QTest::newRow("huge-last-a") << "[Q0]\r\nLastA=2147483647\r\nA7=x\r\n"
                                 << QString() << QList<int>{7};
}

void TstTestLayout::readQuestion()
{
    QFETCH(QString, section);
    QFETCH(QString, text);
    QFETCH(QList<int>, numbers);
    const TestLayout::Question question
            = TestLayout::readQuestion(IniDocument::parse(Cp1251::encode(section)), "Q0");
    QCOMPARE(question.text, text);
    QCOMPARE(question.text.isNull(), text.isNull());
    QList<int> found;
    for (const TestLayout::Option &option : question.options)
        found.append(option.number);
    QCOMPARE(found, numbers);
    if (!numbers.isEmpty() && numbers.first() == 0)
        QCOMPARE(question.options.first().text, QStringLiteral("a")); // the first "A0" wins
}

void TstTestLayout::hugeLastNumbersCostNothing()
{
    const IniDocument doc = fixture("huge_last_q.quivara");
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(TestLayout::questionNumbers(doc, 2147483647), (QList<int>{0, 7}));
    QCOMPARE(TestLayout::readQuestion(doc, "Q0").options.size(), 2);
    QVERIFY(timer.elapsed() < 1000 * TimeScale);
}

void TstTestLayout::settingsDefaults()
{
    const TestSettings s = TestSettings::read(IniDocument());
    QCOMPARE(s.testName, QStringLiteral("Еще один тест для Quivara"));
    QCOMPARE(s.author, QStringLiteral("Неизвестный автор"));
    QCOMPARE(s.messageOnComplete, QStringLiteral("Тест завершен!"));
    QCOMPARE(s.allowFinish, false);
    QCOMPARE(s.showResult, true);
    QCOMPARE(s.disableOpenTest, true);
    QCOMPARE(s.exitOnComplete, true);
    QCOMPARE(TestLayout::lastQuestion(IniDocument()), 0);
}

void TstTestLayout::settingsFromFile()
{
    const TestSettings s = TestSettings::read(fixture("capitals.quivara"));
    QCOMPARE(s.testName, QStringLiteral("Столицы"));
    QCOMPARE(s.author, QStringLiteral("Иванов"));
    QCOMPARE(s.allowFinish, false);
    QCOMPARE(s.showResult, true);
    QCOMPARE(s.disableOpenTest, true);
    QCOMPARE(s.exitOnComplete, false);
}

void TstTestLayout::settingsWriteInOrder()
{
    IniDocument doc = IniDocument::parse("[Test]\r\nCreated=01.02.2026\r\n");
    TestSettings s;
    s.testName = "Столицы";
    s.showResult = false;
    s.write(doc);
    QCOMPARE(doc.toBytes(),
             Cp1251::encode("[Test]\r\nCreated=01.02.2026\r\nProgramm=Quivara\r\nVersion=0.1\r\n"
                            "TestName=Столицы\r\nAuthor=Неизвестный автор\r\n"
                            "MessageOnComplete=Тест завершен!\r\nAllowFinish=0\r\nShowResult=0\r\n"
                            "DisableOpenTest=1\r\nExitOnComplete=1\r\n"));
    QCOMPARE(TestSettings::read(doc), s);
}

void TstTestLayout::questionTextLineBreaks_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("single-line") << "Столица?"
                                 << "Столица?"
                                 << "Столица?";
    QTest::newRow("crlf") << "a\r\nb"
                          << "a¶b"
                          << "a\nb";
    QTest::newRow("lf") << "a\nb\n"
                        << "a¶b¶"
                        << "a\nb\n";
    QTest::newRow("cr") << "a\rb"
                        << "a¶b"
                        << "a\nb";
}

void TstTestLayout::questionTextLineBreaks()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QCOMPARE(TestLayout::questionTextToFile(typed), stored);
    QCOMPARE(TestLayout::questionTextFromFile(stored), shown);
}

namespace {

IniDocument testSection(const QByteArray &keys)
{
    return IniDocument::parse("[Test]\r\n" + keys);
}

} // namespace

void TstTestLayout::runOptionsRead_data()
{
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<bool>("shuffleQuestions");
    QTest::addColumn<bool>("shuffleAnswers");
    QTest::addColumn<int>("timeLimit");
    QTest::addColumn<bool>("askName");
    QTest::addColumn<bool>("grades");
    QTest::addColumn<int>("review");

    QTest::newRow("none: today's behaviour")
            << QByteArray() << false << false << 0 << false << false << 0;
    QTest::newRow("all set") << QByteArray("ShuffleQuestions=1\r\nShuffleAnswers=1\r\n"
                                           "TimeLimit=30\r\nAskName=1\r\nGrade5=90\r\n"
                                           "Grade4=75\r\nGrade3=50\r\nReview=2\r\n")
                             << true << true << 30 << true << true << 2;
    QTest::newRow("switches as numbers") << QByteArray("ShuffleQuestions=-3\r\nAskName=0\r\n")
                                         << true << false << 0 << false << false << 0;
    QTest::newRow("a switch that is no number")
            << QByteArray("ShuffleAnswers=да\r\n") << false << false << 0 << false << false << 0;
    QTest::newRow("time: least") << QByteArray("TimeLimit=1\r\n") << false << false << 1 << false
                                 << false << 0;
    QTest::newRow("time: a day") << QByteArray("TimeLimit=1440\r\n") << false << false << 1440
                                 << false << false << 0;
    QTest::newRow("time: over a day")
            << QByteArray("TimeLimit=1441\r\n") << false << false << 0 << false << false << 0;
    QTest::newRow("time: negative")
            << QByteArray("TimeLimit=-5\r\n") << false << false << 0 << false << false << 0;
    QTest::newRow("time: no number")
            << QByteArray("TimeLimit=10 мин\r\n") << false << false << 0 << false << false << 0;
    QTest::newRow("grades: at the ends of the range")
            << QByteArray("Grade5=100\r\nGrade4=0\r\nGrade3=0\r\n") << false << false << 0 << false
            << true << 0;
    QTest::newRow("grades: one missing") << QByteArray("Grade5=90\r\nGrade4=70\r\n") << false
                                         << false << 0 << false << false << 0;
    QTest::newRow("grades: one empty") << QByteArray("Grade5=90\r\nGrade4=\r\nGrade3=50\r\n")
                                       << false << false << 0 << false << false << 0;
    QTest::newRow("grades: one over 100") << QByteArray("Grade5=101\r\nGrade4=70\r\nGrade3=50\r\n")
                                          << false << false << 0 << false << false << 0;
    QTest::newRow("review: 1") << QByteArray("Review=1\r\n") << false << false << 0 << false
                               << false << 1;
    QTest::newRow("review: 3 is out of range")
            << QByteArray("Review=3\r\n") << false << false << 0 << false << false << 0;
}

void TstTestLayout::runOptionsRead()
{
    QFETCH(QByteArray, keys);
    const RunOptions o = RunOptions::read(testSection(Cp1251::encode(QString::fromUtf8(keys))));
    QTEST(o.shuffleQuestions, "shuffleQuestions");
    QTEST(o.shuffleAnswers, "shuffleAnswers");
    QTEST(o.timeLimit, "timeLimit");
    QTEST(o.askName, "askName");
    QTEST(o.grades, "grades");
    QTEST(int(o.review), "review");
}

void TstTestLayout::questionShuffleSwitch_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<bool>("shuffle");
    QTest::newRow("absent") << QByteArray("QLabel=?\r\nA0=a\r\n") << true;
    QTest::newRow("0") << QByteArray("QLabel=?\r\nA0=a\r\nshuffle=0\r\n") << false;
    QTest::newRow("1") << QByteArray("QLabel=?\r\nA0=a\r\nShuffle=1\r\n") << true;
    QTest::newRow("no number") << QByteArray("QLabel=?\r\nShuffle=нет\r\n") << true;
}

void TstTestLayout::questionShuffleSwitch()
{
    QFETCH(QByteArray, section);
    const IniDocument doc
            = IniDocument::parse("[Q0]\r\n" + Cp1251::encode(QString::fromUtf8(section)));
    QTEST(TestLayout::readQuestion(doc, "Q0").shuffle, "shuffle");
}

void TstTestLayout::runOptionsWrite_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("gradesOn");
    QTest::addColumn<int>("timeLimit");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("defaults write nothing")
            << QByteArray("LastQ=0\r\n") << false << 0 << QByteArray("LastQ=0\r\n");
    QTest::newRow("set keys follow in their order")
            << QByteArray("LastQ=0\r\n") << true << 20
            << QByteArray("LastQ=0\r\nTimeLimit=20\r\nGrade5=85\r\nGrade4=70\r\n"
                          "Grade3=50\r\n");
    QTest::newRow("a key in the file is kept, at the default too")
            << QByteArray("TimeLimit=20\r\nLastQ=0\r\n") << false << 0
            << QByteArray("TimeLimit=0\r\nLastQ=0\r\n");
    QTest::newRow("grades turned off are written empty")
            << QByteArray("Grade5=90\r\nGrade4=70\r\nGrade3=50\r\n") << false << 0
            << QByteArray("Grade5=\r\nGrade4=\r\nGrade3=\r\n");
}

void TstTestLayout::runOptionsWrite()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, gradesOn);
    QFETCH(int, timeLimit);
    IniDocument doc = testSection(before);
    RunOptions o;
    o.grades = gradesOn;
    o.timeLimit = timeLimit;
    o.write(doc);
    QFETCH(QByteArray, after);
    QCOMPARE(doc.toBytes(), "[Test]\r\n" + after);
    QCOMPARE(RunOptions::read(doc), o);
}

void TstTestLayout::runOptionsRoundTrip()
{
    IniDocument doc = testSection("LastQ=0\r\n");
    RunOptions o;
    o.shuffleQuestions = true;
    o.shuffleAnswers = true;
    o.timeLimit = 45;
    o.askName = true;
    o.grades = true;
    o.grade5 = 100;
    o.grade4 = 60;
    o.grade3 = 0;
    o.review = RunOptions::WithCorrectOptions;
    o.write(doc);
    QCOMPARE(doc.toBytes(),
             QByteArray("[Test]\r\nLastQ=0\r\nShuffleQuestions=1\r\nShuffleAnswers=1\r\n"
                        "TimeLimit=45\r\nAskName=1\r\nGrade5=100\r\nGrade4=60\r\nGrade3=0\r\n"
                        "Review=2\r\n"));
    QCOMPARE(RunOptions::read(doc), o);
}

void TstTestLayout::grades_data()
{
    QTest::addColumn<int>("correct");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("grade");
    // Thresholds 85, 70, 50.
    QTest::newRow("0 %") << 0 << 10 << 2;
    QTest::newRow("100 %") << 10 << 10 << 5;
    QTest::newRow("exactly 85 %") << 17 << 20 << 5;
    QTest::newRow("just under 85 %: 84.9") << 849 << 1000 << 4;
    QTest::newRow("exactly 70 %") << 7 << 10 << 4;
    QTest::newRow("just under 70 %: 2 of 3 is 66.7") << 2 << 3 << 3;
    QTest::newRow("exactly 50 %") << 1 << 2 << 3;
    QTest::newRow("just under 50 %: 49 of 99") << 49 << 99 << 2;
    QTest::newRow("one of many under 50 %") << 1 << 3 << 2;
}

void TstTestLayout::grades()
{
    QFETCH(int, correct);
    QFETCH(int, total);
    RunOptions o;
    QCOMPARE(o.gradeFor(correct, total), 0); // no grades
    o.grades = true;
    QTEST(o.gradeFor(correct, total), "grade");
}
void TstTestLayout::gradesOutOfOrder_data()
{
    QTest::addColumn<bool>("grades");
    QTest::addColumn<int>("grade5");
    QTest::addColumn<int>("grade4");
    QTest::addColumn<int>("grade3");
    QTest::addColumn<QString>("error");
    QTest::newRow("in order") << true << 90 << 70 << 50 << QString();
    QTest::newRow("all equal") << true << 60 << 60 << 60 << QString();
    QTest::newRow("5 below 4") << true << 69 << 70 << 50
                               << "Порог оценки 5 не может быть ниже порога оценки 4.";
    QTest::newRow("4 below 3") << true << 90 << 49 << 50
                               << "Порог оценки 4 не может быть ниже порога оценки 3.";
    QTest::newRow("both: the higher is told")
            << true << 10 << 20 << 30 << "Порог оценки 5 не может быть ниже порога оценки 4.";
    QTest::newRow("out of order without grades") << false << 10 << 20 << 30 << QString();
}

void TstTestLayout::gradesOutOfOrder()
{
    RunOptions o;
    QFETCH(bool, grades);
    QFETCH(int, grade5);
    QFETCH(int, grade4);
    QFETCH(int, grade3);
    o.grades = grades;
    o.grade5 = grade5;
    o.grade4 = grade4;
    o.grade3 = grade3;
    o.timeLimit = 15;
    QTEST(o.gradesError(), "error");
    // Refused thresholds give way to the held ones; the other options stay.
    RunOptions held;
    held.grades = true;
    held.grade5 = 95;
    held.grade4 = 75;
    held.grade3 = 55;
    const RunOptions sound = o.withSoundGrades(held);
    QCOMPARE(sound.timeLimit, 15);
    QFETCH(QString, error);
    QCOMPARE(sound.grade5, error.isEmpty() ? grade5 : 95);
    QCOMPARE(sound.grade4, error.isEmpty() ? grade4 : 75);
    QCOMPARE(sound.grade3, error.isEmpty() ? grade3 : 55);
    QCOMPARE(sound.grades, error.isEmpty() ? grades : true);
}

QTEST_GUILESS_MAIN(TstTestLayout)
#include "tst_testlayout.moc"
