#include "gift.h"

#include "testlayout.h"
#include "text.h"

#include <QRegularExpression>

namespace Gift {

namespace {

const QString Special = QStringLiteral("~=#{}:");

// The position of the first c in text from `from` that no backslash
// escapes, or -1.
qsizetype findUnescaped(QStringView text, QChar c, qsizetype from = 0)
{
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] == u'\\') {
            ++i;
            continue;
        }
        if (text[i] == c)
            return i;
    }
    return -1;
}

qsizetype findUnescaped(QStringView text, QStringView what, qsizetype from = 0)
{
    for (qsizetype i = from; i + what.size() <= text.size(); ++i) {
        if (text[i] == u'\\') {
            ++i;
            continue;
        }
        if (text.sliced(i).startsWith(what))
            return i;
    }
    return -1;
}

QString unescape(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size()) {
            const QChar next = text[i + 1];
            if (Special.contains(next) || next == u'\\') {
                out += next;
                ++i;
                continue;
            }
            if (next == u'n') {
                out += u'\n';
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

QString escape(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c == u'\n') {
            out += QStringLiteral("\\n");
            continue;
        }
        if (Special.contains(c) || c == u'\\')
            out += u'\\';
        out += c;
    }
    return out;
}

enum class Format { Plain, Html };

QString asText(QStringView raw, Format format)
{
    const QString text = unescape(raw.trimmed());
    return format == Format::Html ? InterchangeText::htmlToPlain(text) : text.trimmed();
}

struct Block
{
    int line = 0;
    QString text;
};

// The line of position pos in a block.
int lineAt(const Block &b, qsizetype pos)
{
    return b.line + int(QStringView(b.text).first(pos).count(u'\n'));
}

void readQuestion(const Block &b, Imported &result)
{
    const auto skip = [&](const QString &why) {
        result.report.append({b.line, QStringLiteral("%1, вопрос пропущен").arg(why)});
    };
    QStringView text = QStringView(b.text).trimmed();
    // An optional title, then an optional format.
    if (text.startsWith(QLatin1String("::"))) {
        const qsizetype end = findUnescaped(text, u"::", 2);
        if (end < 0)
            return skip(QStringLiteral("нет конца названия \"::\""));
        text = text.sliced(end + 2).trimmed();
    }
    Format format = Format::Plain;
    static const QRegularExpression formatTag(
            QStringLiteral("^\\[(html|markdown|plain|moodle)\\]"));
    if (const QRegularExpressionMatch m = formatTag.match(text); m.hasMatch()) {
        format = m.captured(1) == QLatin1String("html") ? Format::Html : Format::Plain;
        text = text.sliced(m.capturedLength());
    }
    const qsizetype offset = text.data() - b.text.data();
    const qsizetype open = findUnescaped(text, u'{');
    if (open < 0)
        return skip(QStringLiteral("описание без ответов"));
    const qsizetype close = findUnescaped(text, u'}', open + 1);
    if (close < 0) {
        result.report.append({lineAt(b, offset + open),
                              QStringLiteral("нет закрывающей скобки \"}\", вопрос пропущен")});
        return;
    }
    QString question = asText(text.first(open), format);
    const QString after = asText(text.sliced(close + 1), format);
    if (!after.isEmpty())
        question = (question + QStringLiteral(" _____ ") + after).trimmed();
    const QStringView body = text.sliced(open + 1, close - open - 1).trimmed();

    // The kind of question, from its answers.
    if (body.isEmpty())
        return skip(QStringLiteral("эссе"));
    if (body.startsWith(u'#'))
        return skip(QStringLiteral("числовой вопрос"));
    const qsizetype feedbackAt = findUnescaped(body, u'#');
    const QString judgement
            = body.first(feedbackAt < 0 ? body.size() : feedbackAt).trimmed().toString().toUpper();
    QStringList options;
    bool hasFeedback = feedbackAt >= 0;
    if (judgement == u"T" || judgement == u"TRUE" || judgement == u"F" || judgement == u"FALSE") {
        const bool isTrue = judgement.startsWith(u'T');
        options = {(isTrue ? QStringLiteral("*") : QString()) + QStringLiteral("Верно"),
                   (isTrue ? QString() : QStringLiteral("*")) + QStringLiteral("Неверно")};
    } else {
        // Answers start at each "=" or "~" that no backslash escapes.
        QList<qsizetype> starts;
        for (qsizetype i = 0; i < body.size(); ++i) {
            if (body[i] == u'\\')
                ++i;
            else if (body[i] == u'=' || body[i] == u'~')
                starts.append(i);
        }
        if (starts.isEmpty() || !body.first(starts.first()).trimmed().isEmpty())
            return skip(QStringLiteral("ответы не начинаются с \"=\" или \"~\""));
        if (findUnescaped(body, u"->") >= 0)
            return skip(QStringLiteral("вопрос на соответствие"));
        bool anyWrong = false;
        bool anyCorrect = false;
        static const QRegularExpression weight(QStringLiteral("^%(-?[0-9]+(?:\\.[0-9]+)?)%"));
        for (qsizetype k = 0; k < starts.size(); ++k) {
            const qsizetype end = k + 1 < starts.size() ? starts[k + 1] : body.size();
            const bool marked = body[starts[k]] == u'=';
            QStringView answer = body.sliced(starts[k] + 1, end - starts[k] - 1);
            bool correct = marked;
            if (const QRegularExpressionMatch m = weight.match(answer); m.hasMatch()) {
                correct = m.captured(1).toDouble() > 0;
                answer = answer.sliced(m.capturedLength());
            }
            if (const qsizetype hash = findUnescaped(answer, u'#'); hash >= 0) {
                hasFeedback = true;
                answer = answer.first(hash);
            }
            anyWrong = anyWrong || !marked;
            QString option = asText(answer, format);
            option.replace(u'\n', u' ');
            option = InterchangeText::unmarkedOption(option);
            if (option.trimmed().isEmpty())
                return skip(QStringLiteral("пустой вариант ответа"));
            anyCorrect = anyCorrect || correct;
            options.append(correct ? TestLayout::CorrectMark + option : option);
        }
        if (!anyWrong)
            return skip(QStringLiteral("вопрос с кратким ответом"));
        if (!anyCorrect)
            return skip(QStringLiteral("нет правильного ответа"));
    }
    if (hasFeedback)
        result.report.append({b.line, QStringLiteral("отзывы к ответам пропущены")});
    for (QString &option : options)
        option = InterchangeText::storable(option, b.line, result.report);
    result.test.document.addQuestion(InterchangeText::storable(question, b.line, result.report),
                                     options);
    result.questionLines.append(b.line);
}

} // namespace

Imported read(const QByteArray &bytes)
{
    static const QRegularExpression lineBreak(QStringLiteral("\\r\\n|\\r|\\n"));
    const QStringList lines = InterchangeText::decodeInput(bytes).split(lineBreak);
    Imported result;
    QList<Block> blocks;
    Block current;
    for (int i = 0; i <= lines.size(); ++i) {
        const QString line = i < lines.size() ? lines[i] : QString();
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1String("//"))
            || trimmed.startsWith(QLatin1String("$CATEGORY:")))
            continue;
        if (trimmed.isEmpty()) {
            if (!current.text.trimmed().isEmpty())
                blocks.append(current);
            current = Block();
            continue;
        }
        if (current.text.isEmpty())
            current.line = i + 1;
        else
            current.text += u'\n';
        current.text += line;
    }
    for (const Block &b : blocks)
        readQuestion(b, result);
    return result;
}

QString shareOf(int k)
{
    QString s = QString::number(100.0 / k, 'f', 5);
    while (s.endsWith(u'0'))
        s.chop(1);
    if (s.endsWith(u'.'))
        s.chop(1);
    return s;
}

QByteArray write(const EditorTest &test, Report &report)
{
    QString out;
    const EditorDocument &doc = test.document;
    for (int n = 0; n < doc.questionCount(); ++n) {
        const QStringList options = doc.answers(n);
        const qsizetype correct = TestLayout::correctCount(options);
        if (correct == 0) {
            report.append(skippedQuestion(n + 1, QStringLiteral("нет правильного ответа")));
            continue;
        }
        // "=" alone would read back as a short-answer question: without a
        // wrong option, the correct ones are weighted.
        const bool weighted = correct > 1 || correct == options.size();
        // A text that begins like a format tag, a comment or a category line
        // is marked plain, so it reads back as text.
        const QString question = escape(doc.questionText(n));
        const bool lookalike = question.trimmed().startsWith(u'[')
                || question.trimmed().startsWith(u'/') || question.trimmed().startsWith(u'$');
        out += (lookalike ? QStringLiteral("[plain]") : QString()) + question
                + QStringLiteral(" {\n");
        for (const QString &option : options) {
            const bool right = TestLayout::isCorrect(option);
            const QString text = escape(right ? option.mid(1) : option);
            // An option that begins like a weight gets a weight of its own.
            const QString weight = !text.startsWith(u'%') ? QString()
                    : right                               ? QStringLiteral("%100%")
                                                          : QStringLiteral("%0%");
            if (!weighted)
                out += (right ? QStringLiteral("\t=") : QStringLiteral("\t~")) + weight + text
                        + u'\n';
            else
                out += QStringLiteral("\t~%")
                        + (right ? shareOf(int(correct)) : QStringLiteral("-100")) + u'%' + text
                        + u'\n';
        }
        out += QStringLiteral("}\n\n");
    }
    return out.toUtf8();
}

} // namespace Gift
