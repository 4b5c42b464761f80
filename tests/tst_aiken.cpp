#include "aiken.h"
#include "interchangecases.h"
#include "cp1251.h"
#include "text.h"

#include <QTest>

#include "testfiles.h"

class TstAiken : public QObject
{
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void decodeInput_data();
    void decodeInput();
    void storableText();
    void write();
    void roundTrip();
};

void TstAiken::read_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<QStringList>("report");

    QTest::newRow("two questions, both option styles")
            << QByteArray("Столица Франции?\nA. Лион\nB. Париж\nANSWER: B\n\n"
                          "2 + 2 =\nA) 3\nB) 4\nC) 5\nANSWER: B\n")
            << QStringList{"Столица Франции?|Лион|*Париж", "2 + 2 =|3|*4|5"} << QStringList();
    QTest::newRow("CR LF and blanks around")
            << QByteArray("  Вопрос  \r\n  A. да \r\n  B. нет\r\nANSWER:   a  \r\n")
            << QStringList{"Вопрос|*да|нет"} << QStringList();
    QTest::newRow("a wrong ANSWER letter")
            << QByteArray("Q\nA. x\nB. y\nANSWER: D\n\nR\nA. z\nB. w\nANSWER: A\n")
            << QStringList{"R|*z|w"}
            << QStringList{"4 ответ D не найден среди вариантов, вопрос пропущен"};
    QTest::newRow("no ANSWER line")
            << QByteArray("Q\nA. x\nB. y\n\nR\nA. z\nB. w\nANSWER: A\n") << QStringList{"R|*z|w"}
            << QStringList{"1 вопрос без строки ANSWER пропущен"};
    QTest::newRow("no ANSWER at the end") << QByteArray("Q\nA. x\n") << QStringList()
                                          << QStringList{"1 вопрос без строки ANSWER пропущен"};
    QTest::newRow("an empty option") << QByteArray("Q\nA. x\nB. \nANSWER: A\n") << QStringList()
                                     << QStringList{"3 пустой вариант ответа, вопрос пропущен"};
    QTest::newRow("an option of marks alone")
            << QByteArray("Q\nA. x\nB. **\nANSWER: A\n") << QStringList()
            << QStringList{"3 пустой вариант ответа, вопрос пропущен"};
    QTest::newRow("options out of order")
            << QByteArray("Q\nA. x\nC. y\nANSWER: A\n") << QStringList()
            << QStringList{"3 вариант C не на своём месте, вопрос пропущен"};
    QTest::newRow("a stray line among the options")
            << QByteArray("Q\nA. x\nчто-то\nB. y\nANSWER: A\n") << QStringList()
            << QStringList{"3 строка не вариант и не ANSWER, вопрос пропущен"};
    QTest::newRow("ANSWER without a question") << QByteArray("ANSWER: A\n") << QStringList()
                                               << QStringList{"1 строка ANSWER без вопроса"};
    QTest::newRow("a wrong option cannot start with the correct mark")
            << QByteArray("Q\nA. *x\nB. y\nANSWER: B\n") << QStringList{"Q|x|*y"} << QStringList();
    QTest::newRow("characters the test cannot hold")
            << QByteArray("Ω ≈ 中?\nA. ✓\nB. нет\nANSWER: A\n") << QStringList{"? ? ??|*?|нет"}
            << QStringList{"2 символов, которых не может быть в тесте, заменено на \"?\": 1",
                           "1 символов, которых не может быть в тесте, заменено на \"?\": 3"};
    QTest::newRow("nothing but NULs") << QByteArray(64, '\0') << QStringList{}
                                      << QStringList{"1 вопрос без строки ANSWER пропущен"};

    // Found in real question banks.
    const auto fixture = [](const char *name) {
        return fileContents(dataPath(QStringLiteral("interchange/") + QLatin1String(name)));
    };
    QTest::newRow("ANSWER not a letter")
            << fixture("answer-not-a-letter.txt") << QStringList{"Capital of Italy?|*Rome|Milan"}
            << QStringList{"4 в строке ANSWER не буква варианта, а «B) 4», вопрос пропущен"};
    QTest::newRow("ANSWER with nothing")
            << QByteArray("Q\nA. x\nB. y\nANSWER:\nR\nA. z\nB. w\nANSWER: B\n")
            << QStringList{"R|z|*w"}
            << QStringList{"4 в строке ANSWER нет буквы варианта, вопрос пропущен"};
    QTest::newRow("options without a blank")
            << fixture("options-without-a-blank.txt")
            << QStringList{"Which is correct?|*Correct|Incorrect", "And this?|Yes|*No"}
            << QStringList();
    QTest::newRow("a stem line that begins like an option")
            << QByteArray("Q\nU.S. law is meant.\nA. x\nB. y\nANSWER: A\n")
            << QStringList{"Q\nU.S. law is meant.|*x|y"} << QStringList();
    QTest::newRow("one option") << fixture("one-option.txt") << QStringList{"Two ways?|Yes|*No"}
                                << QStringList{"1 вопрос с одним вариантом ответа пропущен"};
}

void TstAiken::read()
{
    QFETCH(QByteArray, input);
    const Imported r = Aiken::read(input);
    QTEST(questions(r.test), "questions");
    QTEST(reportText(r.report), "report");
}

void TstAiken::decodeInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("UTF-8") << QByteArray("Париж") << "Париж";
    QTest::newRow("UTF-8 with a BOM") << QByteArray("\xEF\xBB\xBFПариж") << "Париж";
    QTest::newRow("Windows-1251") << Cp1251::encode("Париж") << "Париж";
}

void TstAiken::decodeInput()
{
    QFETCH(QByteArray, bytes);
    QTEST(InterchangeText::decodeInput(bytes), "text");
}

void TstAiken::storableText()
{
    Report report;
    const QString long_ = QString(3000, u'я');
    QCOMPARE(InterchangeText::storable(long_, 7, report).size(), 2047);
    QCOMPARE(reportText(report), QStringList{"7 текст длиннее 2047 символов обрезан"});
    report.clear();
    QCOMPARE(InterchangeText::storable(QStringLiteral("a\u0000b"), 1, report),
             QStringLiteral("a?b"));
    QCOMPARE(report.size(), 1);
}

void TstAiken::write()
{
    EditorTest test;
    test.document.addQuestion("Столица\nФранции?", {"Лион", "*Париж"});
    test.document.addQuestion("Чётные?", {"*2", "*4", "5"});
    test.document.addQuestion("Без ответа", {"a", "b"});
    Report report;
    QCOMPARE(QString::fromUtf8(Aiken::write(test, report)),
             QStringLiteral("Столица Франции?\nA. Лион\nB. Париж\nANSWER: B\n\n"));
    QCOMPARE(reportText(report),
             (QStringList{"0 вопрос 2 пропущен: несколько правильных ответов, а в Aiken он один",
                          "0 вопрос 3 пропущен: нет правильного ответа"}));
}

void TstAiken::roundTrip()
{
    EditorTest test;
    test.document.addQuestion("Самая длинная река?", {"Волга", "*Лена", "Обь", "Енисей"});
    test.document.addQuestion("Самая высокая гора?", {"*Эльбрус", "Монблан"});
    Report report;
    const Imported back = Aiken::read(Aiken::write(test, report));
    QVERIFY(report.isEmpty());
    QVERIFY(back.report.isEmpty());
    QCOMPARE(questions(back.test), questions(test));
}

QTEST_GUILESS_MAIN(TstAiken)
#include "tst_aiken.moc"
