#include "resultreport.h"

#include <QTest>

class TstResultReport : public QObject
{
    Q_OBJECT
private slots:
    void percent_data();
    void percent();
    void counts_data();
    void counts();
    void messageWithoutFigures();
};

void TstResultReport::percent_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("expected");
    QTest::newRow("2-of-3") << 2 << 3 << 66;
    QTest::newRow("1-of-3") << 1 << 3 << 33;
    QTest::newRow("1-of-8") << 1 << 8 << 12;
    QTest::newRow("3-of-8") << 3 << 8 << 37;
    QTest::newRow("21-of-35") << 21 << 35 << 60;
    QTest::newRow("97-of-97") << 97 << 97 << 100;
    QTest::newRow("0-of-5") << 0 << 5 << 0;
    QTest::newRow("all-of-large") << 2147483647 << 2147483647 << 100;
    QTest::newRow("no-questions") << 0 << 0 << 0;
}

void TstResultReport::percent()
{
    QFETCH(int, count);
    QFETCH(int, total);
    QFETCH(int, expected);
    QCOMPARE(percentOf(count, total), expected);
}

void TstResultReport::counts_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("figures");
    QTest::newRow("capitals-one-right")
            << QStringList{"Париж ", "Милан"}
            << "Всего вопросов: 2\r\nДано ответов: 2 (100%)\r\nПравильных ответов: 1 (50%)";
    QTest::newRow("three-two-answered-one-right")
            << QStringList{"да ", "", "нет"}
            << "Всего вопросов: 3\r\nДано ответов: 2 (66%)\r\nПравильных ответов: 1 (33%)";
    QTest::newRow("nothing-answered")
            << QStringList{"", ""}
            << "Всего вопросов: 2\r\nДано ответов: 0 (0%)\r\nПравильных ответов: 0 (0%)";
    QTest::newRow("empty-looking-correct")
            << QStringList{" "}
            << "Всего вопросов: 1\r\nДано ответов: 1 (100%)\r\nПравильных ответов: 1 (100%)";
}

void TstResultReport::counts()
{
    QFETCH(QStringList, answers);
    QFETCH(QString, figures);
    const ResultReport r = ResultReport::make(answers, "Тест завершен! 100%", true);
    QCOMPARE(r.message, "Тест завершен! 100%\r\n\r\n" + figures);
}

void TstResultReport::messageWithoutFigures()
{
    const ResultReport r = ResultReport::make({"да ", "нет"}, "Спасибо & до свидания", false);
    QCOMPARE(r.message, QStringLiteral("Спасибо & до свидания"));
    QCOMPARE(r.total, 2);
    QCOMPARE(r.answered, 2);
    QCOMPARE(r.correct, 1);
}

QTEST_GUILESS_MAIN(TstResultReport)
#include "tst_resultreport.moc"
