#include "cp1251.h"

#include <QTest>

class TstCp1251 : public QObject
{
    Q_OBJECT
private slots:
    void everyByteRoundTrips();
    void knownCharacters_data();
    void knownCharacters();
    void unmappableBecomesQuestionMark();
};

void TstCp1251::everyByteRoundTrips()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = Cp1251::decode(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(Cp1251::encode(text), all);
}

void TstCp1251::knownCharacters_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("unicode");
    QTest::newRow("cyrillic-A") << 0xC0 << 0x0410;
    QTest::newRow("cyrillic-ya") << 0xFF << 0x044F;
    QTest::newRow("yo-capital") << 0xA8 << 0x0401;
    QTest::newRow("yo-small") << 0xB8 << 0x0451;
    QTest::newRow("pilcrow") << 0xB6 << 0x00B6;
    QTest::newRow("numero") << 0xB9 << 0x2116;
    QTest::newRow("euro") << 0x88 << 0x20AC;
    QTest::newRow("undefined-0x98") << 0x98 << 0x0098;
    QTest::newRow("ascii") << 0x41 << 0x41;
}

void TstCp1251::knownCharacters()
{
    QFETCH(int, byte);
    QFETCH(int, unicode);
    const QString decoded = Cp1251::decode(QByteArray(1, char(byte)));
    QCOMPARE(decoded, QString(QChar(unicode)));
    QCOMPARE(Cp1251::encode(decoded), QByteArray(1, char(byte)));
}

void TstCp1251::unmappableBecomesQuestionMark()
{
    QCOMPARE(Cp1251::encode(QStringLiteral("a\u4E2Db\u00E9")), QByteArray("a?b?"));
    QVERIFY(!Cp1251::canEncode(QChar(0x4E2D)));
    QVERIFY(Cp1251::canEncode(QChar(0x0416)));
    QVERIFY(Cp1251::canEncode(QChar(0)));
}

QTEST_GUILESS_MAIN(TstCp1251)
#include "tst_cp1251.moc"
