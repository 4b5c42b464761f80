#include "gift.h"

#include "testlayout.h"
#include "text.h"

#include <QRegularExpression>

#include <algorithm>

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

QString asText(QStringView raw, Format format, int line, Report &report)
{
    const QString text = unescape(raw.trimmed());
    return format == Format::Html ? InterchangeText::htmlToPlain(text, line, report)
                                  : text.trimmed();
}

// A format tag ("[html]", "[plain]", ...) at the start of text, taken off;
// the format it names, or `otherwise` without one.
Format takeFormat(QStringView &text, Format otherwise)
{
    static const QRegularExpression formatTag(
            QStringLiteral("^\\s*\\[(html|markdown|plain|moodle)\\]"));
    const QRegularExpressionMatch m = formatTag.match(text);
    if (!m.hasMatch())
        return otherwise;
    text = text.sliced(m.capturedLength());
    return m.captured(1) == QLatin1String("html") ? Format::Html : Format::Plain;
}

// One answer between the braces: where its text begins, and whether it was
// written as correct ("=", or "~=" as some tools write it).
struct Choice
{
    qsizetype at = 0;   // its "=" or "~"
    qsizetype text = 0; // the first character after its marks
    bool marked = false;
    bool tilde = false;
};

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
    const Format format = takeFormat(text, Format::Plain);
    const qsizetype open = findUnescaped(text, u'{');
    if (open < 0)
        return skip(QStringLiteral("описание без ответов"));
    const qsizetype close = findUnescaped(text, u'}', open + 1);
    if (close < 0) {
        result.report.append({lineAt(b, text.data() - b.text.data() + open),
                              QStringLiteral("нет закрывающей скобки \"}\", вопрос пропущен")});
        return;
    }
    Report lost; // pictures and links, said once the question is taken
    QString question = asText(text.first(open), format, b.line, lost);
    const QString after = asText(text.sliced(close + 1), format, b.line, lost);
    if (!after.isEmpty())
        question = (question + QStringLiteral(" _____ ") + after).trimmed();
    const QStringView body = text.sliced(open + 1, close - open - 1).trimmed();
    // The line of each answer, counted on from the one before: answers come
    // in order, so a question of many answers costs no more than its length.
    qsizetype countedTo = 0;
    int line = b.line;
    const auto lineOf = [&](QStringView part) {
        const qsizetype pos = part.data() - b.text.data();
        line += int(QStringView(b.text).sliced(countedTo, pos - countedTo).count(u'\n'));
        countedTo = pos;
        return line;
    };

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
    Report dropped;
    if (judgement == u"T" || judgement == u"TRUE" || judgement == u"F" || judgement == u"FALSE") {
        const bool isTrue = judgement.startsWith(u'T');
        options = {(isTrue ? QStringLiteral("*") : QString()) + QStringLiteral("Верно"),
                   (isTrue ? QString() : QStringLiteral("*")) + QStringLiteral("Неверно")};
    } else {
        // Answers start at each "=" or "~" that no backslash escapes; "~="
        // is one correct answer.
        QList<Choice> choices;
        for (qsizetype i = 0; i < body.size(); ++i) {
            if (body[i] == u'\\') {
                ++i;
            } else if (body[i] == u'=' && !choices.isEmpty() && choices.last().tilde
                       && choices.last().text == i) {
                choices.last().marked = true;
                choices.last().text = i + 1;
            } else if (body[i] == u'=' || body[i] == u'~') {
                choices.append({i, i + 1, body[i] == u'=', body[i] == u'~'});
            }
        }
        if (choices.isEmpty() || !body.first(choices.first().at).trimmed().isEmpty())
            return skip(QStringLiteral("ответы не начинаются с \"=\" или \"~\""));
        if (findUnescaped(body, u"->") >= 0)
            return skip(QStringLiteral("вопрос на соответствие"));
        static const QRegularExpression weight(QStringLiteral("^%(-?[0-9]+(?:\\.[0-9]+)?)%"));
        QList<double> weights;
        QStringList weightTexts;
        QList<int> lines;
        for (qsizetype k = 0; k < choices.size(); ++k) {
            const qsizetype end = k + 1 < choices.size() ? choices[k + 1].at : body.size();
            QStringView answer = body.sliced(choices[k].text, end - choices[k].text);
            double w = choices[k].marked ? 100 : 0;
            QString written;
            if (const QRegularExpressionMatch m = weight.match(answer); m.hasMatch()) {
                written = m.captured(1);
                w = written.toDouble();
                answer = answer.sliced(m.capturedLength());
            }
            if (const qsizetype hash = findUnescaped(answer, u'#'); hash >= 0) {
                hasFeedback = true;
                answer = answer.first(hash);
            }
            lines.append(lineOf(answer));
            const Format optionFormat = takeFormat(answer, format);
            QString option = asText(answer, optionFormat, lines.last(), lost);
            option.replace(u'\n', u' ');
            option = InterchangeText::unmarkedOption(option);
            if (option.trimmed().isEmpty())
                return skip(QStringLiteral("пустой вариант ответа"));
            options.append(option);
            weights.append(w);
            weightTexts.append(written);
        }
        if (std::none_of(choices.cbegin(), choices.cend(), [](const Choice &c) { return c.tilde; }))
            return skip(QStringLiteral("вопрос с кратким ответом"));
        const QList<bool> correct = InterchangeText::correctByWeight(weights);
        if (!correct.contains(true))
            return skip(QStringLiteral("нет правильного ответа"));
        for (qsizetype k = 0; k < options.size(); ++k) {
            if (weights[k] > 0 && !correct[k])
                dropped.append(
                        {lines[k], InterchangeText::droppedWeight(weightTexts[k], options[k])});
            if (correct[k])
                options[k] = TestLayout::CorrectMark + options[k];
        }
    }
    if (hasFeedback)
        result.report.append({b.line, QStringLiteral("отзывы к ответам пропущены")});
    result.report += dropped;
    result.report += lost;
    for (QString &option : options)
        option = InterchangeText::storable(option, b.line, result.report);
    result.test.document.addQuestion(InterchangeText::storable(question, b.line, result.report),
                                     options);
    result.questionLines.append(b.line);
}

// Where a block of lines stands in its question: before the opening brace,
// between the braces, or after the closing one. Lines are fed one by one,
// each looked at once, so a long block costs no more than its length.
class BraceState
{
public:
    void feed(QStringView line)
    {
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (line[i] == u'\\')
                ++i;
            else if (m_state == Before && line[i] == u'{')
                m_state = Inside;
            else if (m_state == Inside && line[i] == u'}')
                m_state = After;
        }
    }
    bool closed() const { return m_state == After; }

private:
    enum { Before, Inside, After } m_state = Before;
};

} // namespace

Imported read(const QByteArray &bytes)
{
    static const QRegularExpression lineBreak(QStringLiteral("\\r\\n|\\r|\\n"));
    const QStringList lines = InterchangeText::decodeInput(bytes).split(lineBreak);
    Imported result;
    QList<Block> blocks;
    Block current;
    BraceState braces;
    const auto endBlock = [&] {
        if (!current.text.trimmed().isEmpty())
            blocks.append(current);
        current = Block();
        braces = BraceState();
    };
    for (int i = 0; i <= lines.size(); ++i) {
        const QString line = i < lines.size() ? lines[i] : QString();
        const QString trimmed = line.trimmed();
        // A question ends at its closing brace: a comment, a category or a
        // title after it starts the next, even with no blank line between.
        const bool comment = trimmed.startsWith(QLatin1String("//"));
        const bool category = trimmed.startsWith(QLatin1String("$CATEGORY:"));
        if (braces.closed() && (comment || category || trimmed.startsWith(QLatin1String("::"))))
            endBlock();
        if (comment || category)
            continue;
        if (trimmed.isEmpty()) {
            endBlock();
            continue;
        }
        if (current.text.isEmpty())
            current.line = i + 1;
        else
            current.text += u'\n';
        current.text += line;
        braces.feed(line);
    }
    for (const Block &b : blocks)
        readQuestion(b, result);
    return result;
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
            // An option that begins like a format tag is marked plain; one
            // that begins like a weight gets a weight of its own.
            const QString plain = text.startsWith(u'[') ? QStringLiteral("[plain]") : QString();
            const QString weight = !text.startsWith(u'%') ? QString()
                    : right                               ? QStringLiteral("%100%")
                                                          : QStringLiteral("%0%");
            if (!weighted)
                out += (right ? QStringLiteral("\t=") : QStringLiteral("\t~")) + weight + plain
                        + text + u'\n';
            else
                out += QStringLiteral("\t~%")
                        + (right ? InterchangeText::shareOf(int(correct)) : QStringLiteral("-100"))
                        + u'%' + plain + text + u'\n';
        }
        out += QStringLiteral("}\n\n");
    }
    return out.toUtf8();
}

} // namespace Gift
