#include "moodlexml.h"

#include "testlayout.h"
#include "text.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace MoodleXml {

namespace {

// Deeper than any real question's markup; a reader that followed any
// nesting could be made to run out of stack.
constexpr int MaxDepth = 100;

// Texts are HTML unless their format says otherwise.
QString asText(const QString &text, QStringView format, int line, Report &report)
{
    if (format.isEmpty() || format == u"html")
        return InterchangeText::htmlToPlain(text, line, report);
    return text.trimmed();
}

// What an element holding a <text> child says.
struct ElementText
{
    QString text;
    int line = 0;         // where the <text> element begins
    bool tooDeep = false; // markup nested deeper than MaxDepth
    Report lost;          // embedded files, which the test file cannot hold
};

// The characters of the element the reader is on, its children's
// included, which it reads to its end without recursion.
void readText(QXmlStreamReader &xml, ElementText &out)
{
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (++depth > MaxDepth)
                out.tooDeep = true;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::Characters:
        case QXmlStreamReader::EntityReference:
            if (!out.tooDeep)
                out.text += xml.text();
            break;
        default:
            break;
        }
    }
}

// The <text> child of the element the reader is on, which it reads to its
// end; each <file> beside it is reported as lost.
ElementText childText(QXmlStreamReader &xml)
{
    ElementText out;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"text") {
            out.line = int(xml.lineNumber());
            readText(xml, out);
        } else if (xml.name() == u"file") {
            const QString name = xml.attributes().value(QLatin1String("name")).toString();
            out.lost.append({int(xml.lineNumber()),
                             QStringLiteral("вложенный файл «%1» не перенесён").arg(name)});
            xml.skipCurrentElement();
        } else {
            xml.skipCurrentElement();
        }
    }
    if (out.tooDeep)
        out.text.clear();
    return out;
}

struct Answer
{
    QString text;
    double weight = 0;
    QString written; // the weight as written
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
    Report lost;
    bool tooDeep = false;
    while (xml.readNextStartElement()) {
        const int at = int(xml.lineNumber());
        if (xml.name() == u"questiontext" || xml.name() == u"answer") {
            const bool isAnswer = xml.name() == u"answer";
            const QXmlStreamAttributes attributes = xml.attributes();
            const QString format = attributes.value(QLatin1String("format")).toString();
            const ElementText element = childText(xml);
            tooDeep = tooDeep || element.tooDeep;
            const QString text = asText(element.text, format, element.line, lost);
            lost += element.lost;
            if (!isAnswer) {
                question = text;
                continue;
            }
            Answer a;
            a.line = at;
            a.written = attributes.value(QLatin1String("fraction")).toString();
            a.weight = a.written.toDouble();
            a.text = text;
            answers.append(a);
        } else {
            xml.skipCurrentElement();
        }
    }
    if (xml.hasError())
        return;
    if (tooDeep) {
        result.report.append({line,
                              QStringLiteral("разметка вложена глубже %1 уровней, вопрос пропущен")
                                      .arg(MaxDepth)});
        return;
    }
    QList<double> weights;
    for (const Answer &a : std::as_const(answers))
        weights.append(a.weight);
    const QList<bool> correct = InterchangeText::correctByWeight(weights);
    QStringList options;
    Report dropped;
    for (qsizetype k = 0; k < answers.size(); ++k) {
        const Answer &a = answers[k];
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
        if (a.weight > 0 && !correct[k])
            dropped.append({a.line, InterchangeText::droppedWeight(a.written, text)});
        options.append(text);
    }
    if (!correct.contains(true)) {
        result.report.append({line, QStringLiteral("нет правильного ответа, вопрос пропущен")});
        return;
    }
    result.report += dropped;
    result.report += lost;
    for (qsizetype k = 0; k < options.size(); ++k) {
        const QString text = InterchangeText::storable(options[k], answers[k].line, result.report);
        options[k] = correct[k] ? TestLayout::CorrectMark + text : text;
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
            xml.writeAttribute(QStringLiteral("fraction"),
                               correct == 1 ? (right ? QStringLiteral("100") : QStringLiteral("0"))
                                            : (right ? InterchangeText::shareOf(int(correct))
                                                     : QStringLiteral("-100")));
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
