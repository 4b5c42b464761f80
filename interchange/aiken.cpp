#include "aiken.h"

#include "testlayout.h"
#include "text.h"

#include <QRegularExpression>

#include <algorithm>

namespace Aiken {

namespace {

constexpr int Letters = 26;

struct Pending
{
    int line = 0; // where the question starts
    QStringList text;
    QStringList options;
    QList<int> optionLines;
    bool broken = false;

    bool open() const { return line > 0; }
};

// Adds the pending question to test when it is whole; reports it otherwise.
void finishQuestion(Pending &q, QChar answer, int answerLine, Imported &result)
{
    const int index = int(answer.unicode()) - 'A';
    if (q.broken) {
        // Already reported where it broke.
    } else if (q.options.isEmpty()) {
        result.report.append({q.line, QStringLiteral("вопрос без вариантов ответа пропущен")});
    } else if (q.options.size() == 1) {
        result.report.append({q.line, QStringLiteral("вопрос с одним вариантом ответа пропущен")});
    } else if (index < 0 || index >= q.options.size()) {
        result.report.append({answerLine,
                              QStringLiteral("ответ %1 не найден среди вариантов, вопрос пропущен")
                                      .arg(answer)});
    } else {
        QStringList options;
        for (int i = 0; i < q.options.size(); ++i) {
            QString option
                    = InterchangeText::storable(q.options[i], q.optionLines[i], result.report);
            option = InterchangeText::unmarkedOption(option);
            if (option.trimmed().isEmpty()) {
                result.report.append({q.optionLines[i],
                                      QStringLiteral("пустой вариант ответа, вопрос пропущен")});
                q = Pending();
                return;
            }
            options.append(i == index ? TestLayout::CorrectMark + option : option);
        }
        const QString text = InterchangeText::storable(q.text.join(u'\n'), q.line, result.report);
        result.test.document.addQuestion(text, options);
        result.questionLines.append(q.line);
    }
    q = Pending();
}

} // namespace

Imported read(const QByteArray &bytes)
{
    // Some write options with no blank after a bracket: "A)Paris". After a
    // point a blank is needed, so "U.S. law" goes on as the question's text.
    static const QRegularExpression option(QStringLiteral("^([A-Z])(?:\\)|\\.(?=\\s|$))\\s*(.*)$"));
    static const QRegularExpression answer(QStringLiteral("^ANSWER:\\s*(.*)$"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression letter(QStringLiteral("^[A-Za-z]$"));
    static const QRegularExpression lineBreak(QStringLiteral("\\r\\n|\\r|\\n"));
    Imported result;
    const QStringList lines = InterchangeText::decodeInput(bytes).split(lineBreak);
    Pending q;
    for (int i = 0; i < lines.size(); ++i) {
        const int number = i + 1;
        const QString line = lines[i].trimmed();
        if (line.isEmpty()) {
            // A blank line ends a question that has its options, whole or broken.
            if (q.open() && !q.options.isEmpty()) {
                if (!q.broken)
                    result.report.append(
                            {q.line, QStringLiteral("вопрос без строки ANSWER пропущен")});
                q = Pending();
            }
            continue;
        }
        if (const QRegularExpressionMatch m = answer.match(line); m.hasMatch()) {
            const QString given = m.captured(1).trimmed();
            if (!q.open()) {
                result.report.append({number, QStringLiteral("строка ANSWER без вопроса")});
                continue;
            }
            // Whatever it says, the line ends the question.
            if (!letter.match(given).hasMatch()) {
                if (!q.broken)
                    result.report.append(
                            {number,
                             given.isEmpty()
                                     ? QStringLiteral("в строке ANSWER нет буквы варианта, "
                                                      "вопрос пропущен")
                                     : QStringLiteral("в строке ANSWER не буква варианта, а "
                                                      "«%1», вопрос пропущен")
                                               .arg(given)});
                q = Pending();
                continue;
            }
            finishQuestion(q, given.toUpper()[0], number, result);
            continue;
        }
        if (const QRegularExpressionMatch m = option.match(line); q.open() && m.hasMatch()) {
            const QChar letter = m.captured(1)[0];
            if (!q.broken && letter.unicode() != 'A' + q.options.size()) {
                result.report.append(
                        {number,
                         QStringLiteral("вариант %1 не на своём месте, вопрос пропущен")
                                 .arg(letter)});
                q.broken = true;
            }
            if (m.captured(2).trimmed().isEmpty() && !q.broken) {
                result.report.append(
                        {number, QStringLiteral("пустой вариант ответа, вопрос пропущен")});
                q.broken = true;
            }
            q.options.append(m.captured(2).trimmed());
            q.optionLines.append(number);
            continue;
        }
        if (!q.open()) {
            q.line = number;
            q.text.append(line);
        } else if (q.options.isEmpty()) {
            q.text.append(line); // the question goes on
        } else if (!q.broken) {
            result.report.append(
                    {number, QStringLiteral("строка не вариант и не ANSWER, вопрос пропущен")});
            q.broken = true;
        }
    }
    if (q.open() && !q.broken)
        result.report.append({q.line, QStringLiteral("вопрос без строки ANSWER пропущен")});
    return result;
}

QByteArray write(const EditorTest &test, Report &report)
{
    QString out;
    const EditorDocument &doc = test.document;
    for (int n = 0; n < doc.questionCount(); ++n) {
        const QStringList options = doc.answers(n);
        const qsizetype correctCount = TestLayout::correctCount(options);
        const int correct
                = int(std::find_if(options.cbegin(), options.cend(), TestLayout::isCorrect)
                      - options.cbegin());
        const auto skip = [&](const QString &why) { report.append(skippedQuestion(n + 1, why)); };
        if (doc.questionText(n).trimmed().isEmpty()) {
            skip(QStringLiteral("нет текста вопроса"));
            continue;
        }
        if (correctCount == 0) {
            skip(QStringLiteral("нет правильного ответа"));
            continue;
        }
        if (correctCount > 1) {
            skip(QStringLiteral("несколько правильных ответов, а в Aiken он один"));
            continue;
        }
        if (options.size() > Letters) {
            skip(QStringLiteral("больше %1 вариантов ответа").arg(Letters));
            continue;
        }
        // The question is one line in this format.
        QString text = doc.questionText(n);
        out += text.replace(u'\n', u' ').trimmed() + u'\n';
        for (int i = 0; i < options.size(); ++i) {
            const QString option = i == correct ? options[i].mid(1) : options[i];
            out += QChar(u'A' + i) + QStringLiteral(". ") + option.trimmed() + u'\n';
        }
        out += QStringLiteral("ANSWER: ") + QChar(u'A' + correct) + QStringLiteral("\n\n");
    }
    return out.toUtf8();
}

} // namespace Aiken
