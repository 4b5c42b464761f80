#include "pdftext.h"
#include "testfiles.h"
#include "testpaper.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// The test printed to a PDF in dir, as pages of text.
QStringList printed(const QTemporaryDir &dir, const EditorTest &test, bool withKey)
{
    const QString path = dir.filePath("test.pdf");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !TestPaper::writePdf(test, withKey, &file, "tst"))
        return {};
    file.close();
    return pdfPages(path);
}

EditorTest loaded(const QString &path)
{
    return TestFileCommands::loadTestFile(path).test;
}

// What the student reads of an option.
QString shown(const QString &option)
{
    return TestLayout::isCorrect(option) ? option.mid(1) : option;
}

// Which page holds text; -1 when none does.
int pageOf(const QStringList &pages, const QString &text)
{
    for (int i = 0; i < pages.size(); ++i) {
        if (pages[i].contains(text))
            return i;
    }
    return -1;
}

} // namespace

class TstTestPaper : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void everyQuestionAndNoCorrectMark_data();
    void everyQuestionAndNoCorrectMark();
    void keyOnItsOwnLastPage();
    void questionsAreNotSplitAcrossPages();
    void questionLongerThanAPageIsPrintedWhole();
};

void TstTestPaper::init()
{
    if (!havePdfToText())
        QSKIP("pdftotext (poppler-utils) is not installed: the printed text cannot be read");
}

void TstTestPaper::everyQuestionAndNoCorrectMark_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("sample") << QFINDTESTDATA("../samples/geography.quivara");
    QTest::newRow("several correct, none correct, two lines") << dataPath("mixed.quivara");
}

void TstTestPaper::everyQuestionAndNoCorrectMark()
{
    QFETCH(QString, path);
    const EditorTest test = loaded(path);
    QVERIFY(test.document.questionCount() > 0);
    QTemporaryDir dir;
    const QString text = printed(dir, test, false).join(u' ');
    QVERIFY(!text.isEmpty());
    QVERIFY(text.startsWith(test.settings.testName));
    if (!test.settings.author.isEmpty())
        QVERIFY(text.contains("Составитель: " + test.settings.author));
    QVERIFY(text.contains("Фамилия, имя: ____"));
    int options = 0;
    for (int q = 0; q < test.document.questionCount(); ++q) {
        const QString question = test.document.questionText(q).replace(u'\n', u' ');
        QVERIFY2(text.contains(QStringLiteral("%1. %2").arg(q + 1).arg(question)),
                 qPrintable(question));
        const QStringList answers = test.document.answers(q);
        for (int i = 0; i < answers.size(); ++i) {
            const QString option = QStringLiteral("%1 %2) %3")
                                           .arg(TestPaper::OptionBox, TestPaper::optionLabel(i),
                                                shown(answers[i]));
            QVERIFY2(text.contains(option), qPrintable(option));
        }
        options += int(answers.size());
    }
    QCOMPARE(text.count(TestPaper::OptionBox), options);
    QVERIFY(!text.contains(TestLayout::CorrectMark));
    QVERIFY(!text.contains("Ключ ответов"));
}

void TstTestPaper::keyOnItsOwnLastPage()
{
    QTemporaryDir dir;
    const QStringList pages = printed(dir, loaded(dataPath("mixed.quivara")), true);
    QCOMPARE(pages.size(), 2);
    QVERIFY(!pages[0].contains("Ключ ответов"));
    // Q1: Париж; Q2: 2 and 4; Q3: верно; Q4 has no correct option.
    QCOMPARE(pages[1], "Ключ ответов Смешанный 1. б 2. а, в 3. а 4. —");
}

void TstTestPaper::questionsAreNotSplitAcrossPages()
{
    EditorTest test;
    test.settings.testName = "Длинный тест";
    const QString words
            = QString("Съешь же ещё этих мягких французских булок, да выпей чаю. ").repeated(4);
    for (int q = 1; q <= 40; ++q) {
        QStringList options;
        for (int i = 1; i <= 5; ++i)
            options.append(QStringLiteral("ответ %1-%2").arg(q).arg(i));
        test.document.addQuestion(QStringLiteral("Вопрос %1: %2").arg(q).arg(words), options);
    }
    QTemporaryDir dir;
    const QStringList pages = printed(dir, test, false);
    QVERIFY2(pages.size() > 3, qPrintable(QString::number(pages.size())));
    for (int q = 1; q <= 40; ++q) {
        const int page = pageOf(pages, QStringLiteral("Вопрос %1: %2").arg(q).arg(words.trimmed()));
        QVERIFY2(page >= 0, qPrintable(QString::number(q))); // wrapped, yet whole
        for (int i = 1; i <= 5; ++i)
            QCOMPARE(pageOf(pages, QStringLiteral("ответ %1-%2").arg(q).arg(i)), page);
    }
}

void TstTestPaper::questionLongerThanAPageIsPrintedWhole()
{
    EditorTest test;
    QStringList options;
    for (int i = 1; i <= 120; ++i)
        options.append(QStringLiteral("вариант №%1").arg(i));
    test.document.addQuestion("Очень длинный вопрос", options);
    QTemporaryDir dir;
    const QStringList pages = printed(dir, test, false);
    QVERIFY(pages.size() >= 2);
    QVERIFY(pages[0].contains("Фамилия, имя: ___")); // no page left empty first
    QVERIFY(pages[0].contains("1. Очень длинный вопрос ☐ а) вариант №1 "));
    const QString text = pages.join(u' ') + u' ';
    for (int i = 1; i <= 120; ++i)
        QVERIFY(text.contains(QStringLiteral(") вариант №%1 ").arg(i)));
}

QTEST_MAIN(TstTestPaper)
#include "tst_testpaper.moc"
