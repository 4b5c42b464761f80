#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The questions of the test open in the editor: one text and one list of
// answer options per question, and the question shown for editing.
// Texts are held as the author typed them ("\n" between lines of a
// question); options are single lines, a correct one starting with "*".
class EditorDocument
{
public:
    int questionCount() const { return int(m_questionTexts.size()); }
    const QStringList &questionTexts() const { return m_questionTexts; }
    const QList<QStringList> &answerLists() const { return m_answerLists; }
    QString questionText(int index) const { return m_questionTexts.value(index); }
    QStringList answers(int index) const { return m_answerLists.value(index); }
    // Whether the question's options keep their order when a run shuffles
    // the options of the others.
    bool keepsOptionOrder(int index) const { return m_keepOrder.value(index); }
    void setKeepsOptionOrder(int index, bool keep);

    // The question shown in the memos, or -1.
    int currentQuestion() const { return m_currentQuestion; }
    void setCurrentQuestion(int index);

    // Appends a question, without options or with these, and makes it the
    // current one.
    void addQuestion(const QString &text, const QStringList &answers = {});
    void addAnswer(int index, const QString &text);
    // Later questions move down by one; the current question is left as it is
    // for the caller to choose anew.
    void deleteQuestion(int index);
    void setQuestionText(int index, const QString &text);
    // The options are the lines that are not empty; a line of blanks stays.
    void setAnswersFromLines(int index, const QStringList &lines);
    void clear();
    // Room for this many questions, so a large test loads without regrowing.
    void reserve(int questions);

    // The list caption: the first 30 characters, then "..." when longer;
    // line breaks show as blanks.
    QString caption(int index) const;

    friend bool operator==(const EditorDocument &a, const EditorDocument &b)
    {
        return a.m_questionTexts == b.m_questionTexts && a.m_answerLists == b.m_answerLists
                && a.m_keepOrder == b.m_keepOrder;
    }
    friend bool operator!=(const EditorDocument &a, const EditorDocument &b) { return !(a == b); }

private:
    bool valid(int index) const { return index >= 0 && index < m_questionTexts.size(); }

    QStringList m_questionTexts;
    QList<QStringList> m_answerLists;
    QList<bool> m_keepOrder;
    int m_currentQuestion = -1;
};
