// quivara-convert as a user runs it: the real program, its exit code, what
// it prints and what it writes.
#include "formats.h"
#include "gift.h"
#include "testfilecommands.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "interchangecases.h"
#include "testfiles.h"
#include "timelimits.h"

using Files = QMap<QString, QByteArray>;
Q_DECLARE_METATYPE(Files)

class TstConvert : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void commands_data();
    void commands();
    void sameBytesAsEditorSave();
    void forceReplacesTheWholeFile();
    void roundTripThroughEachFormat_data();
    void roundTripThroughEachFormat();
    void hostileInput_data();
    void hostileInput();

private:
    struct Run
    {
        int exitCode = -1;
        QStringList errors;
    };
    Run convert(const QStringList &arguments, int seconds = 30);

    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

const QByteArray CapitalsGift = "::T1:: Столица Франции? {=Париж ~Лион ~Марсель}\n\n"
                                "Столица Италии? {~Милан =Рим}\n";

} // namespace

void TstConvert::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

TstConvert::Run TstConvert::convert(const QStringList &arguments, int seconds)
{
    QProcess process;
    process.setWorkingDirectory(m_dir->path());
    process.start(QStringLiteral(CONVERT_BIN), arguments);
    Run run;
    if (!process.waitForFinished(seconds * 1000 * int(TimeScale))) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    const QString err = QString::fromUtf8(process.readAllStandardError());
    run.errors = err.split(u'\n', Qt::SkipEmptyParts);
    return run;
}

void TstConvert::commands_data()
{
    QTest::addColumn<Files>("files");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("errors");
    QTest::addColumn<bool>("written"); // whether the last argument is a new file

    const QByteArray mixed = fileContents(dataPath("mixed.quivara"));
    QTest::newRow("GIFT in full") << Files{{"a.gift", CapitalsGift}}
                                  << QStringList{"a.gift", "a.quivara"} << 0 << QStringList()
                                  << true;
    QTest::newRow("GIFT, a type skipped")
            << Files{{"a.gift", CapitalsGift + "\nСколько будет 2+2? {=4}\n"}}
            << QStringList{"a.gift", "a.quivara"} << 1
            << QStringList{"a.gift:5: вопрос с кратким ответом, вопрос пропущен"} << true;
    QTest::newRow("to Aiken, by the line of each question left out")
            << Files{{"m.quivara", mixed}} << QStringList{"--to", "aiken", "m.quivara", "m.txt"}
            << 1
            << QStringList{"m.quivara:10: вопрос 2 пропущен: несколько правильных ответов, а в "
                           "Aiken он один",
                           "m.quivara:21: вопрос 4 пропущен: нет правильного ответа"}
            << true;
    QTest::newRow("a picture left out")
            << Files{{"a.xml", fileContents(dataPath("interchange/pictures-sound-links.xml"))}}
            << QStringList{"a.xml", "a.quivara"} << 1
            << QStringList{"a.xml:5: рисунок не перенесён",
                           "a.xml:6: вложенный файл «map.png» не перенесён",
                           "a.xml:9: ссылка не перенесена"}
            << true;
    QTest::newRow("Aiken named by --from=")
            << Files{{"a.txt", "Столица?\nA. Лион\nB) Париж\nANSWER: B\n"}}
            << QStringList{"--from=aiken", "a.txt", "a.xml"} << 0 << QStringList() << true;
    QTest::newRow("--to overrides the suffix")
            << Files{{"a.gift", CapitalsGift}} << QStringList{"a.gift", "--to", "xml", "a.out"} << 0
            << QStringList() << true;
    QTest::newRow("every question unfit for Aiken")
            << Files{{"a.gift", "Чётные? {~%50%2 ~%50%4 ~%-100%5}\n"}}
            << QStringList{"a.gift", "--to", "aiken", "a.txt"} << 2
            << QStringList{"a.gift:1: вопрос 1 пропущен: несколько правильных ответов, а в "
                           "Aiken он один",
                           "quivara-convert: ни один вопрос нельзя записать в формате Aiken"}
            << false;
    QTest::newRow("no questions")
            << Files{{"a.gift", "// одни комментарии\n"}} << QStringList{"a.gift", "a.quivara"} << 2
            << QStringList{"quivara-convert: в файле a.gift нет ни одного вопроса"} << false;
    QTest::newRow("broken XML")
            << Files{{"a.xml", "<quiz><question type=\"truefalse\">"}}
            << QStringList{"a.xml", "a.quivara"} << 2
            << QStringList{"a.xml:1: файл XML повреждён: файл оборван",
                           "quivara-convert: файл a.xml повреждён, ничего не записано"}
            << false;
    QTest::newRow("output exists") << Files{{"a.gift", CapitalsGift}, {"a.quivara", "[Test]\r\n"}}
                                   << QStringList{"a.gift", "a.quivara"} << 2
                                   << QStringList{"quivara-convert: файл a.quivara уже есть; "
                                                  "--force заменит его"}
                                   << false;
    QTest::newRow("missing input")
            << Files() << QStringList{"a.gift", "a.quivara"} << 2
            << QStringList{"quivara-convert: файл a.gift не найден"} << false;
    QTest::newRow("a folder as input") << Files() << QStringList{".", "a.quivara", "--from", "gift"}
                                       << 2 << QStringList{"quivara-convert: . не файл"} << false;
    QTest::newRow("unknown suffix")
            << Files{{"a.gift", CapitalsGift}} << QStringList{"a.gift", "a.docx"} << 2
            << QStringList{"quivara-convert: формат файла a.docx не ясен из его имени: укажите "
                           "--to"}
            << false;
    QTest::newRow("unknown format")
            << Files{{"a.gift", CapitalsGift}} << QStringList{"--to", "docx", "a.gift", "a.out"}
            << 2 << QStringList{"quivara-convert: неизвестный формат docx"} << false;
    const QString usage = QStringLiteral(
            "использование: quivara-convert [--from ФОРМАТ] [--to ФОРМАТ] [--force] ВХОД ВЫХОД "
            "(форматы: quivara, gift, aiken, xml)");
    QTest::newRow("one file") << Files() << QStringList{"a.gift"} << 2
                              << QStringList{"quivara-convert: нужны два файла: ВХОД и ВЫХОД; "
                                             + usage}
                              << false;
    QTest::newRow("unknown option")
            << Files{{"a.gift", CapitalsGift}} << QStringList{"--fast", "a.gift", "a.quivara"} << 2
            << QStringList{"quivara-convert: неизвестный параметр --fast; " + usage} << false;
    QTest::newRow("--from without a format")
            << Files() << QStringList{"a.gift", "a.quivara", "--from"} << 2
            << QStringList{"quivara-convert: после --from нужен формат; " + usage} << false;
    QTest::newRow("a write that fails")
            << Files{{"a.gift", CapitalsGift}} << QStringList{"a.gift", "missing/a.quivara"} << 2
            << QStringList{"quivara-convert: не удалось записать файл missing/a.quivara"} << false;
}

void TstConvert::commands()
{
    QFETCH(Files, files);
    QFETCH(QStringList, arguments);
    for (auto f = files.cbegin(); f != files.cend(); ++f)
        QVERIFY(writeFile(m_dir->filePath(f.key()), f.value()));
    const QString out = m_dir->filePath(arguments.last());
    const QByteArray before = fileContents(out);

    const Run run = convert(arguments);
    QTEST(run.exitCode, "exitCode");
    QTEST(run.errors, "errors");
    QFETCH(bool, written);
    if (written)
        QVERIFY(!fileContents(out).isEmpty());
    else
        QCOMPARE(fileContents(out), before);
}

void TstConvert::sameBytesAsEditorSave()
{
    QVERIFY(writeFile(m_dir->filePath("a.gift"), CapitalsGift));
    QCOMPARE(convert({"a.gift", "a.quivara"}).exitCode, 0);
    const QString saved = m_dir->filePath("saved.quivara");
    QVERIFY(TestFileCommands::saveTestFile(saved, Gift::read(CapitalsGift).test).ok);
    QCOMPARE(fileContents(m_dir->filePath("a.quivara")), fileContents(saved));
    QCOMPARE(questions(TestFileCommands::loadTestFile(saved).test),
             (QStringList{"Столица Франции?|*Париж|Лион|Марсель", "Столица Италии?|Милан|*Рим"}));
}

void TstConvert::forceReplacesTheWholeFile()
{
    // An old test with more questions and a key of its own.
    const QString out = m_dir->filePath("a.quivara");
    QVERIFY(writeFile(out,
                      fileContents(dataPath("three_questions.quivara")) + "[Extra]\r\nK=1\r\n"));
    QVERIFY(writeFile(m_dir->filePath("a.gift"), CapitalsGift));
    QCOMPARE(convert({"--force", "a.gift", "a.quivara"}).exitCode, 0);
    QCOMPARE(fileContents(out), TestFileCommands::newTestFileBytes(Gift::read(CapitalsGift).test));
}

void TstConvert::roundTripThroughEachFormat_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QStringList>("questions");
    const QStringList all{"Столица Франции?|Лион|*Париж|Марсель", "Чётные числа?|*2|3|*4",
                          "Первая строка\nвторая строка|*верно|неверно"};
    QTest::newRow("GIFT") << "gift"
                          << "gift" << all;
    QTest::newRow("Moodle XML") << "xml"
                                << "xml" << all;
    // One line a question, one correct option.
    QTest::newRow("Aiken") << "aiken"
                           << "txt"
                           << QStringList{all[0], "Первая строка вторая строка|*верно|неверно"};
}

void TstConvert::roundTripThroughEachFormat()
{
    QFETCH(QString, format);
    QFETCH(QString, suffix);
    QVERIFY(QFile::copy(dataPath("mixed.quivara"), m_dir->filePath("m.quivara")));
    const QString other = "m." + suffix;
    QCOMPARE(convert({"m.quivara", "--to", format, other}).exitCode, 1); // the unanswered one
    QCOMPARE(convert({"--from", format, other, "back.quivara"}).exitCode, 0);
    QTEST(questions(TestFileCommands::loadTestFile(m_dir->filePath("back.quivara")).test),
          "questions");
}

void TstConvert::hostileInput_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("50 MB of one unclosed brace") << "a.gift"
                                                 << "Вопрос {" + QByteArray(50 * 1024 * 1024, '~');
    QTest::newRow("billion laughs")
            << "a.xml"
            << QByteArray("<?xml version=\"1.0\"?>\n<!DOCTYPE quiz [\n"
                          "<!ENTITY a \"haha\">\n"
                          "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n"
                          "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n"
                          "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">\n"
                          "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">\n"
                          "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">\n"
                          "<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">\n"
                          "<!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\">\n"
                          "<!ENTITY i \"&h;&h;&h;&h;&h;&h;&h;&h;&h;&h;\">\n"
                          "]>\n<quiz><question type=\"truefalse\"><questiontext><text>&i;</text>"
                          "</questiontext><answer fraction=\"100\"><text>true</text></answer>"
                          "<answer fraction=\"0\"><text>false</text></answer></question></quiz>\n");
    // A reader that recursed ran out of stack at about 70,000 levels.
    QTest::newRow("200,000 nested elements")
            << "a.xml"
            << "<quiz><question type=\"multichoice\"><questiontext><text>"
                    + QByteArray("<b>").repeated(200'000) + "x"
                    + QByteArray("</b>").repeated(200'000)
                    + "</text></questiontext><answer fraction=\"100\"><text>a</text></answer>"
                      "<answer fraction=\"0\"><text>b</text></answer></question></quiz>\n";
    for (const char *name : {"a.gift", "a.xml", "a.txt", "a.quivara"})
        QTest::addRow("NUL bytes, %s", name) << name << QByteArray(1024 * 1024, '\0');
}

void TstConvert::hostileInput()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QVERIFY(writeFile(m_dir->filePath(name), bytes));
    const QString out = name.endsWith(".quivara") ? "out.gift" : "out.quivara";
    const Run run = convert(
            {"--from", name.endsWith(".txt") ? "aiken" : QFileInfo(name).suffix(), name, out}, 10);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.errors.last().startsWith("quivara-convert: "), qPrintable(run.errors.last()));
    QVERIFY(!QFileInfo::exists(m_dir->filePath(out)));
    QVERIFY(QDir(m_dir->path()).entryList(QDir::Files).size() == 1);
}

QTEST_GUILESS_MAIN(TstConvert)
#include "tst_convert.moc"
