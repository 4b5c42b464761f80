#include "gift.h"
#include "interchangecases.h"
#include "text.h"

#include <QElapsedTimer>
#include <QTest>

#include "testfiles.h"
#include "timelimits.h"

class TstGift : public QObject
{
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void htmlToPlain_data();
    void htmlToPlain();
    void hostileInputEndsQuickly_data();
    void hostileInputEndsQuickly();
    void shares_data();
    void shares();
    void write();
    void roundTrip();
};

void TstGift::read_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<QStringList>("report");

    QTest::newRow("multiple choice")
            << QByteArray("Столица Франции? {=Париж ~Лион ~Марсель}")
            << QStringList{"Столица Франции?|*Париж|Лион|Марсель"} << QStringList();
    QTest::newRow("answers over lines, a title, comments and a category")
            << QByteArray("// вопросы\n$CATEGORY: geo\n::Q1:: Столица Италии? {\n  =Рим\n  "
                          "~Милан\n}\n")
            << QStringList{"Столица Италии?|*Рим|Милан"} << QStringList();
    QTest::newRow("weights that share full credit")
            << QByteArray("Чётные? {~%50%2 ~%50%4 ~%-100%5}") << QStringList{"Чётные?|*2|*4|5"}
            << QStringList();
    QTest::newRow("true and false")
            << QByteArray("Земля круглая. {T}\n\nСолнце холодное. {FALSE}")
            << QStringList{"Земля круглая.|*Верно|Неверно", "Солнце холодное.|Верно|*Неверно"}
            << QStringList();
    QTest::newRow("escapes") << QByteArray("1 \\= 1\\: \\{да\\} \\~ \\# {=a\\~b ~c\\=d}")
                             << QStringList{"1 = 1: {да} ~ #|*a~b|c=d"} << QStringList();
    QTest::newRow("html text") << QByteArray(
            "[html]<p>Какой <b>самый</b> &laquo;большой&raquo;<br>океан?</p> {=Тихий "
            "~Атлантический}") << QStringList{"Какой самый «большой»\nокеан?|*Тихий|Атлантический"}
                               << QStringList();
    QTest::newRow("feedback skipped") << QByteArray("Q {=a#верно ~b#нет}") << QStringList{"Q|*a|b"}
                                      << QStringList{"1 отзывы к ответам пропущены"};
    QTest::newRow("short answer") << QByteArray("Q {=a =b}\n\nR {=x ~y}") << QStringList{"R|*x|y"}
                                  << QStringList{"1 вопрос с кратким ответом, вопрос пропущен"};
    QTest::newRow("numerical") << QByteArray("Q {#3:0.5}") << QStringList()
                               << QStringList{"1 числовой вопрос, вопрос пропущен"};
    QTest::newRow("matching") << QByteArray("Q {=a -> 1 =b -> 2 ~c}") << QStringList()
                              << QStringList{"1 вопрос на соответствие, вопрос пропущен"};
    QTest::newRow("essay") << QByteArray("Q {}") << QStringList()
                           << QStringList{"1 эссе, вопрос пропущен"};
    QTest::newRow("description") << QByteArray("Просто текст.") << QStringList()
                                 << QStringList{"1 описание без ответов, вопрос пропущен"};
    QTest::newRow("a broken brace")
            << QByteArray("\n\nQ\n{=a ~b\n\nR {=x ~y}") << QStringList{"R|*x|y"}
            << QStringList{"4 нет закрывающей скобки \"}\", вопрос пропущен"};
    QTest::newRow("an empty option") << QByteArray("Q {=a ~}") << QStringList()
                                     << QStringList{"1 пустой вариант ответа, вопрос пропущен"};
    QTest::newRow("an option of marks alone")
            << QByteArray("Q {=a ~**}") << QStringList()
            << QStringList{"1 пустой вариант ответа, вопрос пропущен"};
    QTest::newRow("nothing correct") << QByteArray("Q {~a ~b}") << QStringList()
                                     << QStringList{"1 нет правильного ответа, вопрос пропущен"};
    QTest::newRow("missing word") << QByteArray("Москва — столица {=России ~Франции}.")
                                  << QStringList{"Москва — столица _____ .|*России|Франции"}
                                  << QStringList();
    QTest::newRow("missing word at the start")
            << QByteArray("{=Москва ~Казань} — столица.")
            << QStringList{"_____ — столица.|*Москва|Казань"} << QStringList();

    // Found in real question banks.
    const auto fixture = [](const char *name) {
        return fileContents(dataPath(QStringLiteral("interchange/") + QLatin1String(name)));
    };
    QTest::newRow("no blank line between questions")
            << fixture("no-blank-line-between-questions.gift")
            << QStringList{"First?|a|*b", "Second?|*c|d", "Third?|*e|f", "Fourth?|*g|h"}
            << QStringList();
    QTest::newRow("partial credit is not correct")
            << fixture("partial-credit.gift")
            << QStringList{"Where was Jesus raised?|Jerusalem|Bethlehem|Galilee|*Nazareth",
                           "Even numbers?|*2|*4|5"}
            << QStringList{"3 частичный балл 25% не перенесён, вариант «Bethlehem» считается "
                           "неверным",
                           "4 частичный балл 50% не перенесён, вариант «Galilee» считается "
                           "неверным",
                           "10 нет правильного ответа, вопрос пропущен"};
    QTest::newRow("shares rounded by hand") << QByteArray("Q {~%33.3%a ~%33.3%b ~%33.3%c ~%-100%d}")
                                            << QStringList{"Q|*a|*b|*c|d"} << QStringList();
    QTest::newRow("full credit by weight")
            << QByteArray("Q {~%100%a ~%50%b ~c}") << QStringList{"Q|*a|b|c"}
            << QStringList{"1 частичный балл 50% не перенесён, "
                           "вариант «b» считается неверным"};
    QTest::newRow("a correct option after a tilde")
            << fixture("tilde-equals-option.gift")
            << QStringList{"Capital of France?|Lyon|*Paris|Marseille"} << QStringList();
    QTest::newRow("format tags of options")
            << fixture("option-format-tags.gift")
            << QStringList{"Colour of the sun?|*yellow|red|blue|green"} << QStringList();
    QTest::newRow("a picture in html")
            << QByteArray("[html]Что на <img src=\"a.png\"> рисунке? {=кот ~пёс}")
            << QStringList{"Что на рисунке?|*кот|пёс"} << QStringList{"1 рисунок не перенесён"};
}

void TstGift::read()
{
    QFETCH(QByteArray, input);
    const Imported r = Gift::read(input);
    QTEST(questions(r.test), "questions");
    QTEST(reportText(r.report), "report");
}

void TstGift::htmlToPlain_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("plain");
    QTest::newRow("tags out") << "<b>жирный</b> <i>курсив</i>"
                              << "жирный курсив";
    QTest::newRow("breaks") << "<p>один</p><p>два<br/>три</p>"
                            << "один\nдва\nтри";
    QTest::newRow("white space as a browser shows it") << "  a \n\t b  "
                                                       << "a b";
    QTest::newRow("numeric references") << "&#1055;&#x440;&#X438;"
                                        << "При";
    QTest::newRow("named references") << "&lt;&amp;&gt; &nbsp;&mdash;&frac12;&Omega;"
                                      << "<&> \u00A0—½Ω";
    QTest::newRow("unknown references stay") << "&nosuch; & x &#xZZ;"
                                             << "&nosuch; & x &#xZZ;";
    QTest::newRow("an escaped tag stays text") << "&lt;br&gt;"
                                               << "<br>";
    QTest::newRow("an unclosed tag ends the text") << "a <b"
                                                   << "a";
    QTest::newRow("a less-than sign that opens no tag") << "x < 5 and y > 7, 3<4, a</ b, <="
                                                        << "x < 5 and y > 7, 3<4, a</ b, <=";
    QTest::newRow("comments out") << "a<!-- b > c -->d<!-- e"
                                  << "ad";
}

void TstGift::htmlToPlain()
{
    QFETCH(QString, html);
    Report report;
    QTEST(InterchangeText::htmlToPlain(html, 1, report), "plain");
}

void TstGift::hostileInputEndsQuickly_data()
{
    QTest::addColumn<QByteArray>("input");
    const int size = 20 * 1024 * 1024;
    QTest::newRow("one unclosed brace") << "Q {" + QByteArray(size, '=');
    QTest::newRow("ampersands in html") << "[html]" + QByteArray(size, '&') + "{=a ~b}";
    QTest::newRow("backslashes") << QByteArray(size, '\\');
    QTest::newRow("NUL bytes") << QByteArray(size, '\0');
    QTest::newRow("many answers over many lines")
            << "Q {" + QByteArray("~a\n").repeated(700'000) + "=b}";
}

void TstGift::hostileInputEndsQuickly()
{
    QFETCH(QByteArray, input);
    QElapsedTimer timer;
    timer.start();
    const Imported r = Gift::read(input);
    QVERIFY(r.test.document.questionCount() <= 1);
    QVERIFY2(timer.elapsed() < 5000 * TimeScale, qPrintable(QString::number(timer.elapsed())));
}

void TstGift::shares_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<QString>("share");
    QTest::newRow("1") << 1 << "100";
    QTest::newRow("2") << 2 << "50";
    QTest::newRow("3") << 3 << "33.33333";
    QTest::newRow("4") << 4 << "25";
    QTest::newRow("6") << 6 << "16.66667";
    QTest::newRow("8") << 8 << "12.5";
}

void TstGift::shares()
{
    QFETCH(int, k);
    QTEST(InterchangeText::shareOf(k), "share");
}

void TstGift::write()
{
    EditorTest test;
    test.document.addQuestion("Столица\nФранции?", {"Лион", "*Париж"});
    test.document.addQuestion("Чётные: 2 {или} 4?", {"*2", "*4", "5", "*6"});
    test.document.addQuestion("Без ответа", {"a", "b"});
    Report report;
    QCOMPARE(QString::fromUtf8(Gift::write(test, report)),
             QStringLiteral("Столица\\nФранции? {\n\t~Лион\n\t=Париж\n}\n\n"
                            "Чётные\\: 2 \\{или\\} 4? {\n\t~%33.33333%2\n\t~%33.33333%4\n"
                            "\t~%-100%5\n\t~%33.33333%6\n}\n\n"));
    QCOMPARE(reportText(report), QStringList{"0 вопрос 3 пропущен: нет правильного ответа"});
}

void TstGift::roundTrip()
{
    EditorTest test;
    test.document.addQuestion("Самая длинная река?\nВ России.", {"Волга", "*Лена", "Обь"});
    test.document.addQuestion("Знаки = ~ # { } : \\", {"*a=b", "~c", "*d#e"});
    test.document.addQuestion("Одно", {"*да"});
    // Texts that look like a format tag or a weight stay texts.
    test.document.addQuestion("[html]<b>не разметка</b>", {"*%50%", "%-100%x"});
    test.document.addQuestion("Варианты как разметка", {"*[html]<b>a</b>", "[plain]b", "[c]"});
    test.document.addQuestion("И с долями", {"*[html]a", "*[plain]b", "[html]"});
    test.document.addQuestion("// не комментарий", {"*a"});
    test.document.addQuestion("$CATEGORY: не категория", {"*b", "c"});
    Report report;
    const QByteArray written = Gift::write(test, report);
    const Imported back = Gift::read(written);
    QVERIFY(report.isEmpty());
    QVERIFY(written.contains("~%100%да"));
    QCOMPARE(reportText(back.report), QStringList());
    QCOMPARE(questions(back.test), questions(test));
}

QTEST_GUILESS_MAIN(TstGift)
#include "tst_gift.moc"
