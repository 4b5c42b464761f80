#include "editordocument.h"

void EditorDocument::setCurrentQuestion(int index)
{
    m_currentQuestion = valid(index) ? index : -1;
}

void EditorDocument::addQuestion(const QString &text, const QStringList &answers)
{
    m_questionTexts.append(text);
    m_answerLists.append(answers);
    m_keepOrder.append(false);
    m_currentQuestion = int(m_questionTexts.size()) - 1;
}

void EditorDocument::addAnswer(int index, const QString &text)
{
    if (valid(index))
        m_answerLists[index].append(text);
}

void EditorDocument::deleteQuestion(int index)
{
    if (!valid(index))
        return;
    m_questionTexts.removeAt(index);
    m_answerLists.removeAt(index);
    m_keepOrder.removeAt(index);
    if (!valid(m_currentQuestion))
        m_currentQuestion = -1;
}

void EditorDocument::setQuestionText(int index, const QString &text)
{
    if (valid(index))
        m_questionTexts[index] = text;
}

void EditorDocument::setAnswersFromLines(int index, const QStringList &lines)
{
    if (!valid(index))
        return;
    QStringList answers;
    for (const QString &line : lines) {
        if (!line.isEmpty())
            answers.append(line);
    }
    m_answerLists[index] = answers;
}

void EditorDocument::clear()
{
    m_questionTexts.clear();
    m_answerLists.clear();
    m_keepOrder.clear();
    m_currentQuestion = -1;
}

void EditorDocument::reserve(int questions)
{
    m_questionTexts.reserve(questions);
    m_answerLists.reserve(questions);
    m_keepOrder.reserve(questions);
}

void EditorDocument::setKeepsOptionOrder(int index, bool keep)
{
    if (valid(index))
        m_keepOrder[index] = keep;
}

QString EditorDocument::caption(int index) const
{
    const QString text = questionText(index);
    QString caption = text.size() > 30 ? text.left(30) + QStringLiteral("...") : text;
    // A list entry is one line.
    return caption.replace(u'\n', u' ');
}
