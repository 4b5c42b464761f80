#include "testrun.h"

#include "resultreport.h"

#include <algorithm>

Outcome TestRun::loadTest(const QString &path)
{
    // What was opened is checked, so nothing is looked at twice.
    const ProfileFile file(path);
    const ProfileFile::Loaded loaded = file.load();
    if (!FileStore::foundFile(loaded.status))
        return Outcome{false, FileStore::missingFileMessage(path)};

    m_file = file;
    const IniDocument &doc = loaded.document;
    m_lastRead = doc;
    m_settings = TestSettings::read(doc);
    m_view.titleSuffix = QStringLiteral(" - ") + m_settings.testName;

    m_sections.clear();
    m_answers.clear();
    m_view.finishEnabled = m_settings.allowFinish;
    for (const int n : TestLayout::questionNumbers(doc, TestLayout::lastQuestion(doc))) {
        m_sections.append(TestLayout::questionSection(n));
        m_answers.append(QString());
    }
    if (m_sections.isEmpty()) {
        // Nothing may act on the emptied lists, so the window goes back to its start.
        showStartState();
        // A file too large to be a test is not read; saying so beats
        // blaming its author for a lack of questions.
        if (loaded.status == FileStore::Status::TooLarge)
            return Outcome{false, FileStore::tooLargeMessage(path)};
        return Outcome{false,
                       QStringLiteral("В этом тесте нет тестовых заданий!\r\n\r\n"
                                      "Обратитесь к составителю этого теста (%1) "
                                      "и спросите, что он имел этим ввиду.")
                               .arg(m_settings.author)};
    }
    showQuestion(0, doc);
    if (m_settings.disableOpenTest)
        m_view.openTestEnabled = false;
    m_view.startButtonVisible = false;
    m_view.questionViewVisible = true;
    return Outcome{true, {}};
}

void TestRun::showQuestion(int index)
{
    // The file is read again for every question shown, so changes on disk
    // show; when it cannot be read, the student goes on with what was read last.
    const ProfileFile::Loaded loaded = m_file.load();
    if (loaded.status == FileStore::Status::Ok)
        m_lastRead = loaded.document;
    showQuestion(index, m_lastRead);
}

void TestRun::showQuestion(int index, const IniDocument &doc)
{
    if (index < 0 || index >= m_sections.size())
        return;
    m_current = index;
    m_view.counter = QStringLiteral("Вопрос %1 из %2:").arg(index + 1).arg(m_sections.size());

    const TestLayout::Question question = TestLayout::readQuestion(doc, m_sections[index]);
    m_view.questionText = TestLayout::questionTextFromFile(question.text);
    m_view.options.clear();
    m_view.selected = -1;
    for (const TestLayout::Option &stored : question.options) {
        QString option = stored.text;
        if (option.isEmpty())
            continue;
        while (option.endsWith(u' '))
            option.chop(1);
        // A correct option loses its mark and ends in exactly one blank instead.
        if (TestLayout::isCorrect(option))
            option = option.mid(1) + u' ';
        m_view.options.append(option);
    }

    // A question answered before shows its answer again, and that selection
    // counts as a pick.
    const QString answer = m_answers[index];
    if (!answer.isEmpty()) {
        for (int i = 0; i < m_view.options.size(); ++i) {
            if (m_view.options[i].compare(answer, Qt::CaseInsensitive) == 0) {
                pick(i);
                break;
            }
        }
    }
    m_view.backEnabled = index != 0;
    m_view.nextEnabled = index != m_sections.size() - 1;
    if (m_settings.allowFinish)
        m_view.finishEnabled = true;
}

bool TestRun::pick(int option)
{
    if (!m_view.questionViewVisible || option < 0 || option >= m_view.options.size()
        || option == m_view.selected || m_current >= m_answers.size()) {
        return false;
    }
    m_view.selected = option;
    m_answers[m_current] = m_view.options[option];
    applyFinishRule();
    return true;
}

void TestRun::applyFinishRule()
{
    m_view.finishEnabled = m_settings.allowFinish
            || std::none_of(m_answers.cbegin(), m_answers.cend(),
                            [](const QString &a) { return a.isEmpty(); });
}

void TestRun::next()
{
    if (m_view.nextEnabled)
        showQuestion(m_current + 1);
}

void TestRun::back()
{
    if (m_view.backEnabled)
        showQuestion(m_current - 1);
}

TestRun::Finish TestRun::finish()
{
    const ResultReport report
            = ResultReport::make(m_answers, m_settings.messageOnComplete, m_settings.showResult);
    showStartState();
    return Finish{report.message, m_settings.exitOnComplete};
}

void TestRun::showStartState()
{
    m_view.questionViewVisible = false;
    m_view.startButtonVisible = true;
    m_view.openTestEnabled = true;
    m_view.backEnabled = false;
    m_view.nextEnabled = false;
    m_view.finishEnabled = false;
}
