#include "moodlexml.h"
#include "interchangecases.h"

#include <QElapsedTimer>
#include <QTest>

#include "testfiles.h"
#include "timelimits.h"

class TstMoodleXml : public QObject
{
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void billionLaughsEndsQuickly();
    void deepNesting_data();
    void deepNesting();
    void write();
    void roundTrip();
};

namespace {

QByteArray quiz(const QByteArray &questions)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quiz>\n" + questions + "</quiz>\n";
}

} // namespace

void TstMoodleXml::read_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<QStringList>("report");
    QTest::addColumn<bool>("wellFormed");

    QTest::newRow("single answer, html and entities")
            << quiz("<question type=\"multichoice\"><questiontext format=\"html\"><text><![CDATA["
                    "<p>Столица <b>Франции</b>&nbsp;&ndash; это?</p>]]></text></questiontext>"
                    "<answer "
                    "fraction=\"100\"><text>Париж</text><feedback><text>Да</text></feedback></"
                    "answer>"
                    "<answer fraction=\"0\"><text>Лион &amp;amp; Ко</text></answer></question>\n")
            << QStringList{"Столица Франции\u00A0– это?|*Париж|Лион & Ко"} << QStringList() << true;
    QTest::newRow("several correct by fraction")
            << quiz("<question type=\"multichoice\"><questiontext "
                    "format=\"plain_text\"><text>Чётные?</text>"
                    "</questiontext><single>false</single>"
                    "<answer fraction=\"50\"><text>2</text></answer>"
                    "<answer fraction=\"50\"><text>4</text></answer>"
                    "<answer fraction=\"-100\"><text>5</text></answer></question>\n")
            << QStringList{"Чётные?|*2|*4|5"} << QStringList() << true;
    QTest::newRow("true or false, and a category") << quiz(
            "<question "
            "type=\"category\"><category><text>$course$/geo</text></category></question>\n"
            "<question type=\"truefalse\"><questiontext><text>Земля круглая.</text></questiontext>"
            "<answer fraction=\"100\"><text>true</text></answer>"
            "<answer fraction=\"0\"><text>false</text></answer></question>\n")
                                                   << QStringList{"Земля круглая.|*Верно|Неверно"}
                                                   << QStringList() << true;
    QTest::newRow("other types skipped with their line")
            << quiz("<question "
                    "type=\"shortanswer\"><questiontext><text>Q</text></questiontext></question>\n"
                    "<question type=\"essay\"/>\n")
            << QStringList()
            << QStringList{"3 вопрос типа \"shortanswer\" пропущен",
                           "4 вопрос типа \"essay\" пропущен"}
            << true;
    QTest::newRow("an option of marks alone")
            << quiz("<question type=\"multichoice\"><questiontext><text>Q</text></questiontext>"
                    "<answer fraction=\"100\"><text>a</text></answer>"
                    "<answer fraction=\"0\"><text> * * </text></answer></question>\n")
            << QStringList() << QStringList{"3 пустой вариант ответа, вопрос пропущен"} << true;
    QTest::newRow("no correct answer")
            << quiz("<question type=\"multichoice\"><questiontext><text>Q</text></questiontext>"
                    "<answer fraction=\"0\"><text>a</text></answer></question>\n")
            << QStringList() << QStringList{"3 нет правильного ответа, вопрос пропущен"} << true;
    QTest::newRow("bad XML: nothing is read")
            << quiz("<question type=\"multichoice\"><questiontext><text>Q</text></questiontext>"
                    "<answer fraction=\"100\"><text>a</text></answer></question>\n<question")
            << QStringList() << QStringList{"4 файл XML повреждён: нарушена разметка, столбец 8"}
            << false;
    QTest::newRow("not a quiz") << QByteArray("<html/>") << QStringList()
                                << QStringList{"1 файл XML повреждён: нет элемента quiz"} << false;
    QTest::newRow("NUL bytes") << QByteArray(1000, '\0') << QStringList()
                               << QStringList{"1 файл XML повреждён: нарушена разметка, столбец 1"}
                               << false;

    // Found in real question banks.
    const auto fixture = [](const char *name) {
        return fileContents(dataPath(QStringLiteral("interchange/") + QLatin1String(name)));
    };
    QTest::newRow("pictures, files and links reported")
            << fixture("pictures-sound-links.xml")
            << QStringList{"Which country is this?|*France|Spain listen", "Plain question?|*Yes|No"}
            << QStringList{"5 рисунок не перенесён", "6 вложенный файл «map.png» не перенесён",
                           "9 ссылка не перенесена"}
            << true;
    QTest::newRow("a raw less-than sign is text")
            << fixture("raw-less-than.xml")
            << QStringList{"Which is true if x < 5 and y > 7?|*x < y|x > y|x <= 4 or not"}
            << QStringList() << true;
    QTest::newRow("partial credit is not correct")
            << fixture("partial-credit.xml")
            << QStringList{"Where was Jesus raised?|Jerusalem|Bethlehem|Galilee|*Nazareth",
                           "Prime numbers?|*2|*3|*5|4"}
            << QStringList{"6 частичный балл 25% не перенесён, вариант «Bethlehem» считается "
                           "неверным",
                           "7 частичный балл 50% не перенесён, вариант «Galilee» считается "
                           "неверным"}
            << true;
}

void TstMoodleXml::read()
{
    QFETCH(QByteArray, input);
    const Imported r = MoodleXml::read(input);
    QTEST(questions(r.test), "questions");
    QFETCH(QStringList, report);
    // Qt words its own XML errors; only where the fault is, and that it is one, count.
    const QStringList seen = reportText(r.report);
    QCOMPARE(seen.size(), report.size());
    for (int i = 0; i < seen.size(); ++i)
        QCOMPARE(seen[i].section(u':', 0, 0), report[i].section(u':', 0, 0));
    QTEST(r.wellFormed, "wellFormed");
}

void TstMoodleXml::billionLaughsEndsQuickly()
{
    QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE quiz [\n<!ENTITY l0 \"ha\">\n";
    for (int i = 1; i < 10; ++i)
        laughs += QStringLiteral("<!ENTITY l%1 \"%2\">\n")
                          .arg(i)
                          .arg(QString("&l%1;").arg(i - 1).repeated(10))
                          .toUtf8();
    laughs += "]>\n<quiz><question type=\"multichoice\"><questiontext><text>&l9;</text>"
              "</questiontext><answer fraction=\"100\"><text>a</text></answer></question></quiz>\n";
    QElapsedTimer timer;
    timer.start();
    const Imported r = MoodleXml::read(laughs);
    QVERIFY(timer.elapsed() < 5000 * TimeScale);
    QVERIFY(!r.wellFormed);
    QCOMPARE(r.test.document.questionCount(), 0);
}

void TstMoodleXml::deepNesting_data()
{
    QTest::addColumn<int>("depth");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<QStringList>("report");
    QTest::newRow("as deep as allowed")
            << 99 << QStringList{"глубоко|*a|b", "R|*c|d"} << QStringList();
    QTest::newRow("one level deeper")
            << 100 << QStringList{"R|*c|d"}
            << QStringList{"3 разметка вложена глубже 100 уровней, вопрос пропущен"};
    // A reader that recursed ran out of stack at about 70,000.
    QTest::newRow("200,000 levels")
            << 200'000 << QStringList{"R|*c|d"}
            << QStringList{"3 разметка вложена глубже 100 уровней, вопрос пропущен"};
}

void TstMoodleXml::deepNesting()
{
    QFETCH(int, depth);
    QByteArray nested;
    for (int i = 0; i < depth; ++i)
        nested += "<b>";
    nested += "глубоко";
    for (int i = 0; i < depth; ++i)
        nested += "</b>";
    const Imported r = MoodleXml::read(
            quiz("<question type=\"multichoice\"><questiontext><text>" + nested
                 + "</text></questiontext><answer fraction=\"100\"><text>a</text></answer>"
                   "<answer fraction=\"0\"><text>b</text></answer></question>\n"
                   "<question type=\"multichoice\"><questiontext><text>R</text></questiontext>"
                   "<answer fraction=\"100\"><text>c</text></answer>"
                   "<answer fraction=\"0\"><text>d</text></answer></question>\n"));
    QVERIFY(r.wellFormed);
    QTEST(questions(r.test), "questions");
    QTEST(reportText(r.report), "report");
}

void TstMoodleXml::write()
{
    EditorTest test;
    test.document.addQuestion("A < B?", {"*да", "нет"});
    test.document.addQuestion("Чётные?", {"*2", "*4", "*6", "5"});
    test.document.addQuestion("Без ответа", {"a"});
    Report report;
    const QString xml = QString::fromUtf8(MoodleXml::write(test, report));
    QVERIFY(xml.contains("<text>A &lt; B?</text>"));
    QVERIFY(xml.contains("<single>true</single>"));
    QVERIFY(xml.contains(
            "<answer fraction=\"100\" format=\"plain_text\">\n            <text>да</text>"));
    QVERIFY(xml.contains(
            "<answer fraction=\"0\" format=\"plain_text\">\n            <text>нет</text>"));
    QVERIFY(xml.contains("<single>false</single>"));
    QCOMPARE(xml.count("fraction=\"33.33333\""), 3);
    QCOMPARE(xml.count("fraction=\"-100\""), 1);
    QCOMPARE(reportText(report), QStringList{"0 вопрос 3 пропущен: нет правильного ответа"});

    // Characters XML cannot hold never break the file.
    EditorTest control;
    control.document.addQuestion(QStringLiteral("a\u0001b"), {QStringLiteral("*\u001Fc")});
    report.clear();
    const Imported back = MoodleXml::read(MoodleXml::write(control, report));
    QVERIFY(back.wellFormed);
    QCOMPARE(questions(back.test), QStringList{"a?b|*?c"});
    QCOMPARE(report.size(), 2);
}

void TstMoodleXml::roundTrip()
{
    EditorTest test;
    test.document.addQuestion("Самая длинная река?\nВ России.", {"Волга", "*Лена", "Обь"});
    test.document.addQuestion("Знаки < > & \" '", {"*a<b", "c&d", "*e"});
    Report report;
    const Imported back = MoodleXml::read(MoodleXml::write(test, report));
    QVERIFY(report.isEmpty());
    QCOMPARE(reportText(back.report), QStringList());
    QCOMPARE(questions(back.test), questions(test));
}

QTEST_GUILESS_MAIN(TstMoodleXml)
#include "tst_moodlexml.moc"
