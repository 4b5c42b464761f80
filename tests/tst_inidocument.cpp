#include "cp1251.h"
#include "inidocument.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include "testfiles.h"

#include "timelimits.h"

namespace {

IniDocument parsed(const QString &text)
{
    return IniDocument::parse(Cp1251::encode(text));
}

QByteArray fixture(const QString &name)
{
    return fileContents(dataPath(name));
}

const QString Default = QStringLiteral("<default>");

} // namespace

class TstIniDocument : public QObject
{
    Q_OBJECT
private slots:
    void readString_data();
    void readString();
    void readStringCutsLongValues();
    void readInteger_data();
    void readInteger();
    void readBool_data();
    void readBool();
    void sectionsAndKeys_data();
    void sectionsAndKeys();
    void sectionListingStopsAtItsLimit();
    void untouchedFileKeepsItsBytes_data();
    void untouchedFileKeepsItsBytes();
    void writes_data();
    void writes();
    void writtenValueReadsBack_data();
    void writtenValueReadsBack();
    void writeKeepsOneLine_data();
    void writeKeepsOneLine();
    void dateTimeText_data();
    void dateTimeText();
    void hugeLineParsesQuickly();
};

void TstIniDocument::readString_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString basic = QStringLiteral("[Test]\r\nTestName=Столицы\r\nEmpty=\r\n");
    QTest::newRow("plain") << basic << "Test"
                           << "TestName"
                           << "Столицы";
    QTest::newRow("missing-section") << basic << "Other"
                                     << "TestName" << Default;
    QTest::newRow("missing-key") << basic << "Test"
                                 << "Author" << Default;
    QTest::newRow("empty-value-is-not-default") << basic << "Test"
                                                << "Empty"
                                                << "";
    QTest::newRow("empty-file") << ""
                                << "Test"
                                << "TestName" << Default;
    QTest::newRow("case-ascii") << basic << "TEST"
                                << "testname"
                                << "Столицы";
    QTest::newRow("case-cyrillic") << "[Раздел]\r\nКлюч=да\r\n"
                                   << "рАЗДЕЛ"
                                   << "КЛЮЧ"
                                   << "да";
    QTest::newRow("blanks-trimmed") << "[s]\r\n  k \t=  \t value  \r\n"
                                    << "s"
                                    << "k"
                                    << "value";
    QTest::newRow("blanks-around-header") << "  [ s ]  \r\nk=v\r\n"
                                          << "s"
                                          << "k"
                                          << "v";
    QTest::newRow("double-quotes") << "[s]\r\nk=\"yes\"\r\n"
                                   << "s"
                                   << "k"
                                   << "yes";
    QTest::newRow("single-quotes") << "[s]\r\nk='yes'\r\n"
                                   << "s"
                                   << "k"
                                   << "yes";
    QTest::newRow("quotes-keep-blanks") << "[s]\r\nk=\" Рим   \"\r\n"
                                        << "s"
                                        << "k"
                                        << " Рим   ";
    QTest::newRow("mismatched-quotes") << "[s]\r\nk=\"yes'\r\n"
                                       << "s"
                                       << "k"
                                       << "\"yes'";
    QTest::newRow("one-quote") << "[s]\r\nk=\"\r\n"
                               << "s"
                               << "k"
                               << "\"";
    QTest::newRow("only-one-pair-stripped") << "[s]\r\nk=\"\"a\"\"\r\n"
                                            << "s"
                                            << "k"
                                            << "\"a\"";
    QTest::newRow("equals-in-value") << "[s]\r\nk=a=b\r\n"
                                     << "s"
                                     << "k"
                                     << "a=b";
    QTest::newRow("lf-only") << "[s]\nk=v\nj=w\n"
                             << "s"
                             << "j"
                             << "w";
    QTest::newRow("cr-only") << "[s]\rk=v\rj=w\r"
                             << "s"
                             << "j"
                             << "w";
    QTest::newRow("cr-before-last-byte") << "[s]\nj=w\rk"
                                         << "s"
                                         << "j"
                                         << "w";
    QTest::newRow("no-final-line-end") << "[s]\r\nk=v"
                                       << "s"
                                       << "k"
                                       << "v";
    QTest::newRow("semicolon-comment") << "[s]\r\n;k=v\r\n"
                                       << "s"
                                       << ";k" << Default;
    QTest::newRow("indented-comment") << "[s]\r\n  ;k=v\r\n"
                                      << "s"
                                      << ";k" << Default;
    QTest::newRow("hash-is-a-key") << "[s]\r\n#k=v\r\n"
                                   << "s"
                                   << "#k"
                                   << "v";
    QTest::newRow("no-comment-after-value") << "[s]\r\nk=v ; note\r\n"
                                            << "s"
                                            << "k"
                                            << "v ; note";
    QTest::newRow("line-without-equals") << "[s]\r\nk\r\n"
                                         << "s"
                                         << "k" << Default;
    QTest::newRow("before-first-section") << "k=v\r\n[s]\r\n"
                                          << ""
                                          << "k" << Default;
    QTest::newRow("header-without-bracket") << "[s\r\nk=v\r\n"
                                            << "s"
                                            << "k"
                                            << "v";
    QTest::newRow("text-after-bracket") << "[s] x\r\nk=v\r\n"
                                        << "s"
                                        << "k"
                                        << "v";
    QTest::newRow("repeated-key-first-wins") << "[s]\r\nk=1\r\nK=2\r\n"
                                             << "s"
                                             << "k"
                                             << "1";
    QTest::newRow("repeated-section-first-wins") << "[s]\r\nk=1\r\n[t]\r\n[S]\r\nk=2\r\nj=3\r\n"
                                                 << "s"
                                                 << "j" << Default;
    QTest::newRow("nul-ends-value") << QString("[s]\r\nk=ab") + QChar(0) + "cd\r\n"
                                    << "s"
                                    << "k"
                                    << "ab";
    QTest::newRow("bom-is-part-of-first-line")
            << QStringLiteral("\u00EF\u00BB\u00BF[s]\r\nk=v\r\n") << "s"
            << "k" << Default;
}

void TstIniDocument::readString()
{
    QFETCH(QString, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(parsed(file).readString(section, key, Default), expected);
}

void TstIniDocument::readStringCutsLongValues()
{
    const QString longValue(3000, u'ж');
    const IniDocument doc = parsed("[s]\r\nk=" + longValue + "\r\n");
    QCOMPARE(doc.readString("s", "k", Default), longValue.left(IniDocument::MaxValueLength));
}

void TstIniDocument::readInteger_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("decimal") << "12" << 12;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("plus") << "+5" << 5;
    QTest::newRow("leading-zeros") << "007" << 7;
    QTest::newRow("hex-0x") << "0x1F" << 31;
    QTest::newRow("hex-0X") << "0X1f" << 31;
    QTest::newRow("hex-dollar") << "$1F" << 31;
    QTest::newRow("hex-x") << "x1F" << 31;
    QTest::newRow("hex-negative") << "-$10" << -16;
    QTest::newRow("hex-all-ones") << "0xFFFFFFFF" << -1;
    QTest::newRow("hex-sign-bit") << "$80000000" << int(0x80000000u);
    QTest::newRow("hex-leading-zeros") << "$000000001" << 1;
    QTest::newRow("hex-33-bits") << "$100000000" << -7;
    QTest::newRow("hex-no-digits") << "$" << -7;
    QTest::newRow("0x-alone") << "0x" << -7;
    QTest::newRow("int-max") << "2147483647" << 2147483647;
    QTest::newRow("int-min") << "-2147483648" << int(-2147483648LL);
    QTest::newRow("above-int-max") << "2147483648" << -7;
    QTest::newRow("below-int-min") << "-2147483649" << -7;
    QTest::newRow("huge") << "99999999999999999999999" << -7;
    QTest::newRow("trailing-junk") << "12a" << -7;
    QTest::newRow("trailing-blank-inside-quotes") << "\"12 \"" << -7;
    QTest::newRow("leading-blank-inside-quotes") << "\" 12\"" << 12;
    QTest::newRow("empty") << "" << -7;
    QTest::newRow("sign-only") << "-" << -7;
    QTest::newRow("word") << "yes" << -7;
    QTest::newRow("decimal-point") << "1.5" << -7;
}

void TstIniDocument::readInteger()
{
    QFETCH(QString, value);
    QFETCH(int, expected);
    QCOMPARE(parsed("[s]\r\nk=" + value + "\r\n").readInteger("s", "k", -7), expected);
}

void TstIniDocument::readBool_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("defaultValue");
    QTest::addColumn<bool>("expected");
    QTest::newRow("one") << "1" << false << true;
    QTest::newRow("zero") << "0" << true << false;
    QTest::newRow("two") << "2" << false << true;
    QTest::newRow("minus-one") << "-1" << false << true;
    QTest::newRow("hex-zero") << "0x0" << true << false;
    QTest::newRow("word-default-true") << "yes" << true << true;
    QTest::newRow("word-default-false") << "yes" << false << false;
    QTest::newRow("empty-default-true") << "" << true << true;
}

void TstIniDocument::readBool()
{
    QFETCH(QString, value);
    QFETCH(bool, defaultValue);
    QFETCH(bool, expected);
    QCOMPARE(parsed("[s]\r\nk=" + value + "\r\n").readBool("s", "k", defaultValue), expected);
}

void TstIniDocument::sectionsAndKeys_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QStringList>("keys");
    QTest::newRow("in-file-order") << "[s]\r\nb=1\r\na=2\r\n"
                                   << "s" << QStringList{"b", "a"};
    QTest::newRow("bare-header") << "[Q3]\r\n[Q4]\r\nk=1\r\n"
                                 << "Q3" << QStringList{};
    QTest::newRow("missing") << "[s]\r\nk=1\r\n"
                             << "t" << QStringList{};
    QTest::newRow("comments-skipped") << "[s]\r\n;c=1\r\n\r\nk=1\r\n"
                                      << "s" << QStringList{"k"};
    QTest::newRow("repeats-listed-once") << "[s]\r\nk=1\r\nK=2\r\n"
                                         << "s" << QStringList{"k"};
    QTest::newRow("empty-value-counts") << "[s]\r\nA0=\r\n"
                                        << "S" << QStringList{"A0"};
    QTest::newRow("empty-name-is-no-key") << "[s]\r\n=1\r\n"
                                          << "s" << QStringList{};
    QTest::newRow("nul-in-names") << QString("[s") + QChar(0) + "]\r\nk" + QChar(0) + "=1\r\n"
                                  << QString("s") + QChar(0)
                                  << QStringList{QString("k") + QChar(0)};
}

void TstIniDocument::sectionsAndKeys()
{
    QFETCH(QString, file);
    QFETCH(QString, section);
    QFETCH(QStringList, keys);
    const IniDocument doc = parsed(file);
    QCOMPARE(doc.readSection(section), keys);
    QStringList entries;
    for (const IniDocument::Entry &e : doc.readEntries(section))
        entries.append(Cp1251::decode(e.name.toByteArray()));
    QCOMPARE(entries, keys);
    QCOMPARE(doc.sectionExists(section), !keys.isEmpty());
    for (const QString &key : keys) {
        QVERIFY(doc.valueExists(section, key.toUpper()));
        QVERIFY(doc.valueExists(section, key.toLower()));
    }
    QVERIFY(!doc.valueExists(section, "absent"));
}

void TstIniDocument::sectionListingStopsAtItsLimit()
{
    // "A0".."A9" take 3 bytes each with their zero, "A10".."A99" 4, and so on.
    QString file = "[s]\r\n";
    for (int k = 0; k < 20000; ++k)
        file += QStringLiteral("A%1=x\r\n").arg(k);
    const IniDocument doc = parsed(file);

    const QStringList listed = doc.readSection("s");
    int bytes = 0;
    for (const QString &name : listed)
        bytes += name.size() + 1;
    QVERIFY(bytes <= IniDocument::MaxSectionListing);
    QVERIFY(bytes + listed.size() > IniDocument::MaxSectionListing - 7);
    QCOMPARE(listed.last(), QStringLiteral("A%1").arg(listed.size() - 1));
    QVERIFY(doc.valueExists("s", listed.last()));
    QVERIFY(!doc.valueExists("s", QStringLiteral("A%1").arg(listed.size())));
    // Reading a value has no such limit.
    QCOMPARE(doc.readString("s", "A19999", Default), "x");
    const IniDocument::Entries entries = doc.readEntries("s");
    QCOMPARE(entries.size(), 20000);
    QVERIFY(entries[listed.size() - 1].listed);
    QVERIFY(!entries[listed.size()].listed);
    QCOMPARE(entries.last().value(), QStringLiteral("x"));
}

void TstIniDocument::untouchedFileKeepsItsBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("capitals") << fixture("capitals.quivara");
    QTest::newRow("odd-spacing") << fixture("odd_spacing.quivara");
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk.append(char((i * 7919 + 13) % 256));
    QTest::newRow("binary-junk") << junk;
    QTest::newRow("mixed-line-ends") << QByteArray("[s]\r\na=1\nb=2\rc=3\n\r");
}

void TstIniDocument::untouchedFileKeepsItsBytes()
{
    QFETCH(QByteArray, bytes);
    QCOMPARE(IniDocument::parse(bytes).toBytes(), bytes);
}

using Writes = QList<QStringList>;

void TstIniDocument::writes_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<Writes>("writes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("in-place") << "capitals.quivara" << Writes{{"test", "TESTNAME", "География"}}
                              << "capitals_renamed.expected";
    QTest::newRow("new-key") << "capitals.quivara" << Writes{{"Q1", "A2", "Неаполь"}}
                             << "capitals_new_key.expected";
    QTest::newRow("new-section") << "capitals.quivara"
                                 << Writes{{"Q2", "QLabel", "Столица Испании?"}}
                                 << "capitals_new_section.expected";
    QTest::newRow("new-file") << ""
                              << Writes{{"Test", "Created", "01.02.2026"},
                                        {"Test", "Programm", "Quivara"}}
                              << "new_file.expected";
    QTest::newRow("comments-and-odd-spacing") << "odd_spacing.quivara"
                                              << Writes{{"Test", "TestName", "Новое"},
                                                        {"Test", "Author", "Петров"},
                                                        {"Q0", "A1", "*Нет"},
                                                        {" Q5 ", " QLabel ", " x"}}
                                              << "odd_spacing.expected";
}

void TstIniDocument::writes()
{
    QFETCH(QString, input);
    QFETCH(Writes, writes);
    QFETCH(QString, expected);
    IniDocument doc = IniDocument::parse(input.isEmpty() ? QByteArray() : fixture(input));
    for (const QStringList &w : writes)
        doc.writeString(w[0], w[1], w[2]);
    QCOMPARE(doc.toBytes(), fixture(expected));
}

void TstIniDocument::writtenValueReadsBack_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("plain") << "Столица Франции?";
    QTest::newRow("empty") << "";
    QTest::newRow("quoted-title") << "\"Война и мир\"";
    QTest::newRow("single-quoted") << "'да'";
    QTest::newRow("leading-blank") << " Рим";
    QTest::newRow("trailing-blanks") << "Рим   ";
    QTest::newRow("tab-edges") << "\tx\t";
    QTest::newRow("lone-quote") << "\"";
    QTest::newRow("quote-inside") << "a \"b\" c";
    QTest::newRow("equals-and-semicolon") << ";a=b";
    QTest::newRow("at-read-limit") << QString(IniDocument::MaxValueLength, u'я');
    QTest::newRow("blank-at-read-limit") << QString(IniDocument::MaxValueLength - 1, u'я') + u' ';
}

void TstIniDocument::writtenValueReadsBack()
{
    QFETCH(QString, value);
    IniDocument doc = IniDocument::parse("[s]\r\nk=old\r\n");
    doc.writeString("s", "k", value);
    doc.writeString("s", "new", value);
    const IniDocument reread = IniDocument::parse(doc.toBytes());
    QCOMPARE(reread.readString("s", "k", Default), value);
    QCOMPARE(reread.readString("s", "new", Default), value);
}

void TstIniDocument::writeKeepsOneLine_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("line");  // as written
    QTest::addColumn<QString>("readBack"); // each line break a blank
    QTest::newRow("inside") << "one\r\ntwo\nthree\rfour" << QByteArray("k=one two three four")
                            << "one two three four";
    // A break at an edge becomes an edge blank, which quotes keep.
    QTest::newRow("at-the-end") << "one\r\n" << QByteArray("k=\"one \"") << "one ";
    QTest::newRow("at-the-start") << "\nx" << QByteArray("k=\" x\"") << " x";
}

void TstIniDocument::writeKeepsOneLine()
{
    QFETCH(QString, value);
    QFETCH(QByteArray, line);
    QFETCH(QString, readBack);
    IniDocument doc;
    doc.writeString("s", "k", value);
    doc.writeString("s", "j", "after");
    QCOMPARE(doc.toBytes(), "[s]\r\n" + line + "\r\nj=after\r\n");
    QCOMPARE(IniDocument::parse(doc.toBytes()).readString("s", "k", Default), readBack);
}

void TstIniDocument::dateTimeText_data()
{
    QTest::addColumn<QDateTime>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("with-time") << QDateTime(QDate(2026, 2, 1), QTime(9, 5, 7))
                               << "01.02.2026 09:05:07";
    QTest::newRow("midnight") << QDateTime(QDate(2026, 2, 1), QTime(0, 0, 0, 500)) << "01.02.2026";
    QTest::newRow("one-second") << QDateTime(QDate(2026, 2, 1), QTime(0, 0, 1))
                                << "01.02.2026 00:00:01";
}

void TstIniDocument::dateTimeText()
{
    QFETCH(QDateTime, value);
    QFETCH(QString, expected);
    QCOMPARE(IniDocument::dateTimeText(value, QLocale(QLocale::Russian, QLocale::Russia)),
             expected);
}

void TstIniDocument::hugeLineParsesQuickly()
{
    // A 100 MB line must cost one linear pass, not one pass per character.
    QByteArray bytes("[s]\r\nk=");
    bytes.append(QByteArray(100 * 1024 * 1024, 'x'));
    QElapsedTimer timer;
    timer.start();
    const IniDocument doc = IniDocument::parse(bytes);
    QCOMPARE(doc.readString("s", "k", Default).size(), IniDocument::MaxValueLength);
    QVERIFY2(timer.elapsed() < 5000 * TimeScale, "a 100 MB line took more than five seconds");
}

QTEST_GUILESS_MAIN(TstIniDocument)
#include "tst_inidocument.moc"
