#include "editorsession.h"

#include "filestore.h"

Outcome EditorSession::leave(Answer answer, const QString &saveAs)
{
    if (!asksBeforeLeaving())
        return Outcome{true, {}};
    switch (answer) {
    case Answer::Save: {
        const QString path = m_fileName.isEmpty() ? saveAs : m_fileName;
        if (path.isEmpty())
            break;
        const TestFileCommands::Saved saved = save(path);
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
        m_held = true;
        m_fileName = path;
        m_test = loaded.test;
        m_saved = m_test;
    }
    return loaded;
}

TestFileCommands::Saved EditorSession::save(const QString &path)
{
    const TestFileCommands::Saved saved = TestFileCommands::saveTestFile(path, m_test);
    if (saved.ok) {
        m_saved = m_test;
        if (m_fileName.isEmpty())
            m_fileName = path;
    }
    return saved;
}

EditorSession::Transfer EditorSession::importFrom(Interchange::Format format, const QString &path)
{
    Transfer result;
    const FileStore::Contents contents = FileStore::read(path);
    switch (contents.status) {
    case FileStore::Status::Ok:
        break;
    case FileStore::Status::Missing:
    case FileStore::Status::NotRegular:
        result.message = FileStore::missingFileMessage(path);
        return result;
    case FileStore::Status::TooLarge:
        result.message = FileStore::tooLargeMessage(path);
        return result;
    case FileStore::Status::Unreadable:
        result.message = QStringLiteral("Не удалось прочитать файл \"%1\".").arg(path);
        return result;
    }
    const Imported imported = Interchange::read(format, contents.bytes);
    result.report = imported.report;
    if (!imported.wellFormed) {
        result.message = QStringLiteral("Файл \"%1\" повреждён, тест не импортирован.").arg(path);
        return result;
    }
    if (imported.test.document.questionCount() == 0) {
        result.message = QStringLiteral("В файле \"%1\" нет ни одного вопроса формата %2.")
                                 .arg(path, Interchange::caption(format));
        return result;
    }
    result.ok = true;
    m_held = true;
    m_fileName.clear();
    m_test = imported.test;
    m_saved = EditorTest{};
    return result;
}

EditorSession::Transfer EditorSession::exportTo(Interchange::Format format,
                                                const QString &path) const
{
    Transfer result;
    const int questions = m_test.document.questionCount();
    if (questions == 0) {
        result.message = QStringLiteral("В тесте нет ни одного вопроса.");
        return result;
    }
    const QByteArray bytes = Interchange::write(format, m_test, result.report);
    if (Interchange::skippedQuestions(result.report) == questions) {
        result.message = QStringLiteral("Ни один вопрос теста нельзя записать в формате %1.")
                                 .arg(Interchange::caption(format));
        return result;
    }
    if (!FileStore::write(path, bytes)) {
        result.message = FileStore::writeErrorMessage(path);
        return result;
    }
    result.ok = true;
    return result;
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
