#include "testrun.h"

#include "resultreport.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFileInfo>

#include <algorithm>
#include <numeric>

namespace {

// An option as shown, without the blank that marks a correct one.
// Now, in whole seconds: the journal keeps no finer time.
QDateTime secondsUtc()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    return now.addMSecs(-now.time().msec());
}

QString withoutMark(QString shown)
{
    while (shown.endsWith(u' '))
        shown.chop(1);
    return shown;
}

QString sha256Of(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

} // namespace

TestRun::TestRun()
    : m_clock([] {
        static QElapsedTimer monotonic = [] {
            QElapsedTimer t;
            t.start();
            return t;
        }();
        return monotonic.elapsed();
    })
    , m_random(QRandomGenerator::securelySeeded())
{
}

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
    m_options = RunOptions::read(doc);
    m_view.titleSuffix = QStringLiteral(" - ") + m_settings.testName;
    m_awaitsName = false;
    m_studentName.clear();
    m_deadline = -1;

    m_sections.clear();
    m_answers.clear();
    m_view.finishEnabled = m_settings.allowFinish;
    for (const int n : TestLayout::questionNumbers(doc, TestLayout::lastQuestion(doc))) {
        m_sections.append(TestLayout::questionSection(n));
        m_answers.append(QString());
    }
    // Every order equally likely, drawn anew for each run.
    if (m_options.shuffleQuestions)
        std::shuffle(m_sections.begin(), m_sections.end(), m_random);
    m_optionOrders = QList<QList<int>>(m_sections.size());
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
    // What the journal tells the test's version by; only a test with questions is run.
    m_sha256 = sha256Of(loaded.bytes);
    m_lastBytes = loaded.bytes;
    m_changes.clear();
    if (m_options.askName) {
        showStartState();
        m_awaitsName = true;
        return Outcome{true, {}};
    }
    showQuestion(0, doc);
    beginQuestions();
    return Outcome{true, {}};
}

bool TestRun::giveName(const QString &name)
{
    const QString trimmed = name.trimmed();
    if (!m_awaitsName || trimmed.isEmpty())
        return false;
    m_awaitsName = false;
    m_studentName = trimmed;
    m_view.titleSuffix += QStringLiteral(" - ") + trimmed;
    showQuestion(0);
    beginQuestions();
    return true;
}

void TestRun::refuseName()
{
    m_awaitsName = false;
    showStartState();
}

void TestRun::beginQuestions()
{
    if (m_settings.disableOpenTest)
        m_view.openTestEnabled = false;
    m_view.startButtonVisible = false;
    m_view.questionViewVisible = true;
    // The clock starts with the first question on screen.
    m_startedAt = m_clock();
    m_started = secondsUtc();
    if (m_options.timeLimit > 0)
        m_deadline = m_clock() + qint64(m_options.timeLimit) * 60 * 1000;
    updateClock();
}

void TestRun::showQuestion(int index)
{
    // The file is read again for every question shown, so changes on disk
    // show; when it cannot be read, the student goes on with what was read last.
    readAgain();
    showQuestion(index, m_lastRead);
}

void TestRun::readAgain()
{
    const ProfileFile::Loaded loaded = m_file.load();
    if (loaded.status != FileStore::Status::Ok)
        return;
    m_lastRead = loaded.document;
    // Each version read is recorded, so the journal tells a test that
    // changed while it ran. Bytes as read last are hashed no more.
    if (loaded.bytes == m_lastBytes)
        return;
    m_lastBytes = loaded.bytes;
    const QString sha256 = sha256Of(loaded.bytes);
    const QString last = m_changes.isEmpty() ? m_sha256 : m_changes.last();
    if (sha256 != last)
        m_changes.append(sha256);
}

void TestRun::showQuestion(int index, const IniDocument &doc)
{
    if (index < 0 || index >= m_sections.size())
        return;
    m_current = index;
    m_view.counter = QStringLiteral("Вопрос %1 из %2:").arg(index + 1).arg(m_sections.size());

    const TestLayout::Question question = TestLayout::readQuestion(doc, m_sections[index]);
    m_view.questionText = TestLayout::questionTextFromFile(question.text);
    m_shown.clear();
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
        m_shown.append(option);
    }
    orderOptions(index, question.shuffle);
    // That blank is how an answer is scored; what the student sees and a
    // screen reader announces is the option's text alone, which tells
    // nothing of the key.
    m_view.options.clear();
    for (const QString &option : std::as_const(m_shown))
        m_view.options.append(withoutMark(option));

    // A question answered before shows its answer again, and that selection
    // counts as a pick.
    const QString answer = m_answers[index];
    if (!answer.isEmpty()) {
        for (int i = 0; i < m_shown.size(); ++i) {
            if (m_shown[i].compare(answer, Qt::CaseInsensitive) == 0) {
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
    if (!m_view.questionViewVisible || option < 0 || option >= m_shown.size()
        || option == m_view.selected || m_current >= m_answers.size()) {
        return false;
    }
    m_view.selected = option;
    m_answers[m_current] = m_shown[option];
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

void TestRun::orderOptions(int index, bool shuffle)
{
    // Drawn once per run, so going back shows the same order; drawn anew
    // when the file's options changed in number since.
    QList<int> &order = m_optionOrders[index];
    if (order.size() != m_shown.size()) {
        order.resize(m_shown.size());
        std::iota(order.begin(), order.end(), 0);
        if (m_options.shuffleAnswers && shuffle)
            std::shuffle(order.begin(), order.end(), m_random);
    }
    QStringList ordered;
    ordered.reserve(order.size());
    for (const int i : order)
        ordered.append(m_shown[i]);
    m_shown = ordered;
}

TestRun::Finish TestRun::finish()
{
    return end(false);
}

TestRun::Finish TestRun::timeUp()
{
    return end(true);
}

TestRun::Finish TestRun::end(bool timeUp)
{
    Finish f;
    f.timeUp = timeUp;
    const ResultReport figures = ResultReport::make(m_answers, QString(), false);
    f.grade = m_options.gradeFor(figures.correct, figures.total);
    f.message = ResultReport::make(m_answers, m_settings.messageOnComplete, m_settings.showResult,
                                   f.grade)
                        .message;
    f.exitProgram = m_settings.exitOnComplete;
    f.reviewLevel = m_options.review;
    if (f.reviewLevel != RunOptions::NoReview) {
        readAgain();
        f.review = reviewOf(m_lastRead);
    }
    f.attempt = attemptOf(figures, f.grade, timeUp);
    m_deadline = -1;
    showStartState();
    return f;
}

Attempt TestRun::attemptOf(const ResultReport &figures, int grade, bool timeUp) const
{
    Attempt a = Attempt::begun();
    a.testTitle = m_settings.testName;
    a.testFile = QFileInfo(m_file.path()).absoluteFilePath();
    a.testSha256 = m_sha256;
    a.testChanges = m_changes;
    a.testAuthor = m_settings.author;
    a.student = m_studentName;
    a.started = m_started;
    a.finished = secondsUtc();
    a.seconds = int(std::max<qint64>(m_clock() - m_startedAt, 0) / 1000);
    a.timeLimit = m_options.timeLimit;
    a.questions = figures.total;
    a.answered = figures.answered;
    a.correct = figures.correct;
    a.percent = percentOf(figures.correct, figures.total);
    a.grade = grade;
    a.ended = timeUp ? QStringLiteral("time") : QStringLiteral("student");
    a.version = TestLayout::ProgramVersion;
    for (int i = 0; i < m_sections.size(); ++i) {
        AttemptAnswer answer;
        answer.section = m_sections[i];
        answer.question = TestLayout::questionTextFromFile(
                TestLayout::readQuestion(m_lastRead, m_sections[i]).text);
        if (!m_answers[i].isEmpty())
            answer.answer = withoutMark(m_answers[i]);
        answer.correct = TestLayout::isCorrectAnswer(m_answers[i]);
        a.answers.append(answer);
    }
    return a;
}

QList<ReviewItem> TestRun::reviewOf(const IniDocument &doc) const
{
    QList<ReviewItem> items;
    for (int i = 0; i < m_sections.size(); ++i) {
        const TestLayout::Question question = TestLayout::readQuestion(doc, m_sections[i]);
        ReviewItem item;
        item.number = i + 1;
        item.question = TestLayout::questionTextFromFile(question.text);
        item.answer = withoutMark(m_answers[i]);
        item.correct = TestLayout::isCorrectAnswer(m_answers[i]);
        for (const TestLayout::Option &option : question.options) {
            if (TestLayout::isCorrect(option.text))
                item.correctOptions.append(withoutMark(option.text.mid(1)));
        }
        items.append(item);
    }
    return items;
}

qint64 TestRun::remaining() const
{
    if (m_deadline < 0 || !m_view.questionViewVisible)
        return 0;
    return std::max<qint64>(m_deadline - m_clock(), 0);
}

bool TestRun::updateClock()
{
    if (m_deadline < 0 || !m_view.questionViewVisible) {
        m_view.timeLeft.clear();
        m_view.timeRunningOut = false;
        return false;
    }
    const qint64 left = remaining();
    // Whole seconds, rounded up: a one-minute test starts at 1:00.
    const qint64 seconds = (left + 999) / 1000;
    m_view.timeLeft = seconds >= 3600 ? QStringLiteral("Осталось: %1:%2:%3")
                                                .arg(seconds / 3600)
                                                .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                                                .arg(seconds % 60, 2, 10, QLatin1Char('0'))
                                      : QStringLiteral("Осталось: %1:%2")
                                                .arg(seconds / 60)
                                                .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    m_view.timeRunningOut = left <= 60 * 1000;
    return left == 0;
}

void TestRun::showStartState()
{
    m_view.questionViewVisible = false;
    m_view.startButtonVisible = true;
    m_view.openTestEnabled = true;
    m_view.backEnabled = false;
    m_view.nextEnabled = false;
    m_view.finishEnabled = false;
    m_view.timeLeft.clear();
    m_view.timeRunningOut = false;
}

QString reviewText(const QList<ReviewItem> &items, RunOptions::Review level)
{
    QStringList paragraphs;
    for (const ReviewItem &item : items) {
        QString p = QStringLiteral("%1. %2\n").arg(item.number).arg(item.question);
        p += QStringLiteral("Ответ: %1 — %2")
                     .arg(item.answer.isEmpty() ? QStringLiteral("нет ответа") : item.answer,
                          item.correct ? QStringLiteral("верно") : QStringLiteral("неверно"));
        if (level == RunOptions::WithCorrectOptions) {
            p += item.correctOptions.size() == 1 ? QStringLiteral("\nПравильный ответ: ")
                                                 : QStringLiteral("\nПравильные ответы: ");
            p += item.correctOptions.isEmpty() ? QStringLiteral("нет")
                                               : item.correctOptions.join(QStringLiteral("; "));
        }
        paragraphs.append(p);
    }
    return paragraphs.join(QStringLiteral("\n\n"));
}
