#include "moodlexml.h"

#include "gift.h"
#include "testlayout.h"
#include "text.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace MoodleXml {

namespace {

// Texts are HTML unless their format says otherwise.
QString asText(const QString &text, QStringView format)
{
    if (format.isEmpty() || format == u"html")
        return InterchangeText::htmlToPlain(text);
    return text.trimmed();
}

// The text of the <text> child of the element the reader is on, which it
// reads to its end.
QString childText(QXmlStreamReader &xml)
{
    QString text;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"text")
            text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        else
            xml.skipCurrentElement();
    }
    return text;
}

struct Answer
{
    QString text;
    bool correct = false;
    int line = 0;
};

void readQuestion(QXmlStreamReader &xml, Imported &result)
{
    const QString type = xml.attributes().value(QLatin1String("type")).toString();
    const int line = int(xml.lineNumber());
    if (type == u"category") {
        xml.skipCurrentElement();
        return;
    }
    if (type != u"multichoice" && type != u"truefalse") {
        result.report.append({line, QStringLiteral("вопрос типа \"%1\" пропущен").arg(type)});
        xml.skipCurrentElement();
        return;
    }
    QString question;
    QList<Answer> answers;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"questiontext") {
            const QString format = xml.attributes().value(QLatin1String("format")).toString();
            question = asText(childText(xml), format);
        } else if (xml.name() == u"answer") {
            Answer a;
            a.line = int(xml.lineNumber());
            a.correct = xml.attributes().value(QLatin1String("fraction")).toDouble() > 0;
            const QString format = xml.attributes().value(QLatin1String("format")).toString();
            a.text = asText(childText(xml), format);
            answers.append(a);
        } else {
            xml.skipCurrentElement();
        }
    }
    if (xml.hasError())
        return;
    QStringList options;
    bool anyCorrect = false;
    for (const Answer &a : std::as_const(answers)) {
        QString text = a.text;
        if (type == u"truefalse") {
            text = text.compare(u"true", Qt::CaseInsensitive) == 0 ? QStringLiteral("Верно")
                    : text.compare(u"false", Qt::CaseInsensitive) == 0 ? QStringLiteral("Неверно")
                                                                       : text;
        }
        text = InterchangeText::unmarkedOption(text.replace(u'\n', u' '));
        if (text.isEmpty()) {
            result.report.append(
                    {a.line, QStringLiteral("пустой вариант ответа, вопрос пропущен")});
            return;
        }
        text = InterchangeText::storable(text, a.line, result.report);
        options.append(a.correct ? TestLayout::CorrectMark + text : text);
        anyCorrect = anyCorrect || a.correct;
    }
    if (!anyCorrect) {
        result.report.append({line, QStringLiteral("нет правильного ответа, вопрос пропущен")});
        return;
    }
    result.test.document.addQuestion(InterchangeText::storable(question, line, result.report),
                                     options);
    result.questionLines.append(line);
}

// The parser's own texts are English: what went wrong, said in Russian.
QString errorText(const QXmlStreamReader &xml)
{
    switch (xml.error()) {
    case QXmlStreamReader::CustomError:
        return xml.errorString();
    case QXmlStreamReader::PrematureEndOfDocumentError:
        return QStringLiteral("файл оборван");
    case QXmlStreamReader::UnexpectedElementError:
        return QStringLiteral("неожиданный элемент");
    case QXmlStreamReader::NotWellFormedError:
    case QXmlStreamReader::NoError:
        break;
    }
    return QStringLiteral("нарушена разметка, столбец %1").arg(xml.columnNumber());
}

} // namespace

Imported read(const QByteArray &bytes)
{
    Imported result;
    QXmlStreamReader xml(bytes);
    if (xml.readNextStartElement()) {
        if (xml.name() != u"quiz") {
            xml.raiseError(QStringLiteral("нет элемента quiz"));
        } else {
            while (xml.readNextStartElement()) {
                if (xml.name() == u"question")
                    readQuestion(xml, result);
                else
                    xml.skipCurrentElement();
            }
        }
    }
    if (!xml.hasError() && xml.tokenType() == QXmlStreamReader::Invalid)
        xml.raiseError(QStringLiteral("пустой файл"));
    if (xml.hasError()) {
        // Nothing of a broken file is taken.
        result.wellFormed = false;
        result.test = EditorTest();
        result.questionLines.clear();
        result.report.append({int(xml.lineNumber()),
                              QStringLiteral("файл XML повреждён: %1").arg(errorText(xml))});
    }
    return result;
}

namespace {

// XML has no place for control characters other than tab and line breaks.
QString xmlSafe(QString text, int question, Report &report)
{
    int replaced = 0;
    for (QChar &c : text) {
        if (c.unicode() < 0x20 && c != u'\t' && c != u'\n') {
            c = u'?';
            ++replaced;
        }
    }
    if (replaced > 0) {
        report.append({0,
                       QStringLiteral("вопрос %1: управляющих символов заменено на \"?\": %2")
                               .arg(question)
                               .arg(replaced),
                       question});
    }
    return text;
}

} // namespace

QByteArray write(const EditorTest &test, Report &report)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("quiz"));
    const EditorDocument &doc = test.document;
    for (int n = 0; n < doc.questionCount(); ++n) {
        const QStringList options = doc.answers(n);
        const qsizetype correct = TestLayout::correctCount(options);
        if (correct == 0) {
            report.append(skippedQuestion(n + 1, QStringLiteral("нет правильного ответа")));
            continue;
        }
        xml.writeStartElement(QStringLiteral("question"));
        xml.writeAttribute(QStringLiteral("type"), QStringLiteral("multichoice"));
        xml.writeStartElement(QStringLiteral("name"));
        xml.writeTextElement(QStringLiteral("text"), QStringLiteral("Вопрос %1").arg(n + 1));
        xml.writeEndElement();
        xml.writeStartElement(QStringLiteral("questiontext"));
        xml.writeAttribute(QStringLiteral("format"), QStringLiteral("plain_text"));
        xml.writeTextElement(QStringLiteral("text"), xmlSafe(doc.questionText(n), n + 1, report));
        xml.writeEndElement();
        xml.writeTextElement(QStringLiteral("single"),
                             correct == 1 ? QStringLiteral("true") : QStringLiteral("false"));
        for (const QString &option : options) {
            const bool right = TestLayout::isCorrect(option);
            xml.writeStartElement(QStringLiteral("answer"));
            xml.writeAttribute(
                    QStringLiteral("fraction"),
                    correct == 1 ? (right ? QStringLiteral("100") : QStringLiteral("0"))
                                 : (right ? Gift::shareOf(int(correct)) : QStringLiteral("-100")));
            xml.writeAttribute(QStringLiteral("format"), QStringLiteral("plain_text"));
            xml.writeTextElement(QStringLiteral("text"),
                                 xmlSafe(right ? option.mid(1) : option, n + 1, report));
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

} // namespace MoodleXml
