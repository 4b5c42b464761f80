#include "displaytext.h"

#include <QTest>

class TstDisplayText : public QObject
{
    Q_OBJECT
private slots:
    void mnemonicText_data();
    void mnemonicText();
    void errorBoxText_data();
    void errorBoxText();
};

void TstDisplayText::mnemonicText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("plain");
    QTest::newRow("plain") << "Столица?"
                           << "Столица?"
                           << "Столица?";
    QTest::newRow("underline") << "R&D"
                               << "R<u>D</u>"
                               << "RD";
    QTest::newRow("double-ampersand") << "a && b"
                                      << "a &amp; b"
                                      << "a & b";
    QTest::newRow("three-ampersands") << "&&&x"
                                      << "&amp;<u>x</u>"
                                      << "&x";
    QTest::newRow("trailing-ampersand") << "конец&"
                                        << "конец"
                                        << "конец";
    QTest::newRow("markup-is-text") << "<b>x</b>"
                                    << "&lt;b&gt;x&lt;/b&gt;"
                                    << "<b>x</b>";
    QTest::newRow("underlined-markup") << "&<"
                                       << "<u>&lt;</u>"
                                       << "<";
    QTest::newRow("line-breaks") << "a\r\n\r\nb\nc"
                                 << "a<br><br>b<br>c"
                                 << "a\r\n\r\nb\nc";
}

void TstDisplayText::mnemonicText()
{
    QFETCH(QString, text);
    QFETCH(QString, html);
    QFETCH(QString, plain);
    QCOMPARE(mnemonicTextToHtml(text),
             QStringLiteral("<span style=\"white-space:pre-wrap\">") + html
                     + QStringLiteral("</span>"));
    QCOMPARE(mnemonicTextToPlain(text), plain);
}

void TstDisplayText::errorBoxText_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "Unable to write to t.quivara"
                            << "Unable to write to t.quivara.";
    QTest::newRow("cyrillic") << "Ошибка записи"
                              << "Ошибка записи.";
    QTest::newRow("exclamation") << "Ошибка!"
                                 << "Ошибка!";
    QTest::newRow("parenthesis") << "(x)"
                                 << "(x)";
    QTest::newRow("blank") << "x "
                           << "x ";
    QTest::newRow("full-stop") << "x."
                               << "x.";
    QTest::newRow("slash") << "a/"
                           << "a/.";
    QTest::newRow("empty") << ""
                           << "";
}

void TstDisplayText::errorBoxText()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(::errorBoxText(message), shown);
}

QTEST_GUILESS_MAIN(TstDisplayText)
#include "tst_displaytext.moc"
