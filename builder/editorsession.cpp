#include "editorsession.h"

Outcome EditorSession::leave(Answer answer)
{
    if (!asksBeforeLeaving())
        return Outcome{true, {}};
    switch (answer) {
    case Answer::Save: {
        const TestFileCommands::Saved saved = save(m_fileName);
        return saved;
    }
    case Answer::Discard:
        return Outcome{true, {}};
    case Answer::Cancel:
        break;
    }
    return Outcome{false, {}};
}

TestFileCommands::Loaded EditorSession::load(const QString &path)
{
    TestFileCommands::Loaded loaded = TestFileCommands::loadTestFile(path);
    if (loaded.ok) {
        m_fileName = path;
        m_test = loaded.test;
        m_saved = m_test;
    }
    return loaded;
}

TestFileCommands::Saved EditorSession::save(const QString &path)
{
    const TestFileCommands::Saved saved = TestFileCommands::saveTestFile(path, m_test);
    if (saved.ok)
        m_saved = m_test;
    return saved;
}

TestFileCommands::Saved EditorSession::create(const QString &path, const QDateTime &now) const
{
    return TestFileCommands::createTestFile(path, now);
}

int EditorSession::deleteQuestion(int index)
{
    EditorDocument &questions = m_test.document;
    if (index < 0 || index >= questions.questionCount())
        return -1;
    questions.deleteQuestion(index);
    if (questions.questionCount() == 0)
        return -1;
    return index == 0 ? 0 : index - 1;
}

bool EditorSession::fillEmptyText()
{
    EditorDocument &questions = m_test.document;
    const int current = questions.currentQuestion();
    if (current < 0 || !questions.questionText(current).isEmpty())
        return false;
    questions.setQuestionText(current, TestLayout::NoQuestionText);
    return true;
}
