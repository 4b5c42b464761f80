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

QTEST_GUILESS_MAIN(TstTestLayout)
#include "tst_testlayout.moc"
