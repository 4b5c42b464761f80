#include "editordocument.h"

#include <QTest>

class TstEditorDocument : public QObject
{
    Q_OBJECT
private slots:
    void addQuestionBecomesCurrent();
    void deleteQuestionMovesLaterOnesDown();
    void answersAreTheLinesThatAreNotEmpty_data();
    void answersAreTheLinesThatAreNotEmpty();
    void caption_data();
    void caption();
    void outOfRangeIndexesChangeNothing();
};

void TstEditorDocument::addQuestionBecomesCurrent()
{
    EditorDocument doc;
    QCOMPARE(doc.currentQuestion(), -1);
    doc.addQuestion("Первый");
    doc.addQuestion("Второй");
    QCOMPARE(doc.currentQuestion(), 1);
    QCOMPARE(doc.questionCount(), 2);
    QCOMPARE(doc.answerLists().size(), 2);
    QVERIFY(doc.answers(1).isEmpty());
    doc.addAnswer(0, "*Да");
    QCOMPARE(doc.answers(0), QStringList{"*Да"});
}

void TstEditorDocument::deleteQuestionMovesLaterOnesDown()
{
    EditorDocument doc;
    for (const char *text : {"Ноль", "Один", "Два"}) {
        doc.addQuestion(QString::fromUtf8(text));
        doc.addAnswer(doc.currentQuestion(), QString::fromUtf8(text) + "-ответ");
    }
    doc.deleteQuestion(1);
    QCOMPARE(doc.questionTexts(), (QStringList{"Ноль", "Два"}));
    QCOMPARE(doc.answers(1), QStringList{"Два-ответ"});
    QCOMPARE(doc.currentQuestion(), -1); // question 2 no longer exists
    doc.deleteQuestion(0);
    doc.deleteQuestion(0);
    QCOMPARE(doc.questionCount(), 0);
    QCOMPARE(doc.answerLists().size(), 0);
}

void TstEditorDocument::answersAreTheLinesThatAreNotEmpty_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("answers");
    QTest::newRow("empty-line-dropped")
            << QStringList{"Лион", "", "*Париж"} << QStringList{"Лион", "*Париж"};
    QTest::newRow("blank-line-stays") << QStringList{"  ", "x"} << QStringList{"  ", "x"};
    QTest::newRow("nothing") << QStringList{""} << QStringList{};
}

void TstEditorDocument::answersAreTheLinesThatAreNotEmpty()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, answers);
    EditorDocument doc;
    doc.addQuestion("q");
    doc.setAnswersFromLines(0, lines);
    QCOMPARE(doc.answers(0), answers);
}

void TstEditorDocument::caption_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    QTest::newRow("30-whole") << QString(30, u'ж') << QString(30, u'ж');
    QTest::newRow("31-cut") << QString(31, u'ж') << QString(30, u'ж') + "...";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("line-break") << "Первая\nвторая"
                                << "Первая вторая";
}

void TstEditorDocument::caption()
{
    QFETCH(QString, text);
    QFETCH(QString, caption);
    EditorDocument doc;
    doc.addQuestion(text);
    QCOMPARE(doc.caption(0), caption);
}

void TstEditorDocument::outOfRangeIndexesChangeNothing()
{
    EditorDocument doc;
    doc.addQuestion("q");
    const EditorDocument before = doc;
    doc.addAnswer(1, "x");
    doc.setQuestionText(-1, "x");
    doc.setAnswersFromLines(5, {"x"});
    doc.deleteQuestion(3);
    QVERIFY(doc == before);
    doc.setCurrentQuestion(7);
    QCOMPARE(doc.currentQuestion(), -1);
}

QTEST_GUILESS_MAIN(TstEditorDocument)
#include "tst_editordocument.moc"
