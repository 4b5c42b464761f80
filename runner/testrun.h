#pragma once

#include "attempt.h"
#include "outcome.h"
#include "profilefile.h"
#include "resultreport.h"
#include "testlayout.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include <functional>

// What the runner's window shows; the window copies it into its widgets.
struct RunView
{
    bool questionViewVisible = false;
    bool startButtonVisible = true;
    bool openTestEnabled = true;
    QString titleSuffix;

    QString counter = QStringLiteral("Вопрос:");
    QString questionText;
    QStringList options;
    int selected = -1;
    bool backEnabled = false;
    bool nextEnabled = false;
    bool finishEnabled = false;

    // "Осталось: M:SS" while a timed run is on screen, else empty; red from
    // a minute left.
    QString timeLeft;
    bool timeRunningOut = false;
};

// One question of a finished run, for the look back at the answers.
struct ReviewItem
{
    int number = 0; // in the order shown, from 1
    QString question;
    QString answer; // as shown; empty when none was given
    bool correct = false;
    QStringList correctOptions; // as shown
};

// The look back at a finished run as text, one paragraph per question:
// its number and text, the answer (or "нет ответа") with "верно" or
// "неверно", and with WithCorrectOptions the correct options.
QString reviewText(const QList<ReviewItem> &items, RunOptions::Review level);

// The state of one run through a test: the questions found, the answers
// chosen and the question on screen. Question texts and options are read
// from the file each time a question is shown, so a change on disk shows at
// the next question; a file that vanishes or turns unreadable mid-run is
// shown as it was read last. Messages for the user come back as text; the run itself
// shows nothing.
class TestRun
{
public:
    // Milliseconds on a monotonic clock: the time limit counts on it, so a
    // change of the system's clock changes nothing.
    using Clock = std::function<qint64()>;

    TestRun();
    // The clock and the random order, for tests to control.
    void setClock(Clock clock) { m_clock = std::move(clock); }
    void setSeed(quint32 seed) { m_random.seed(seed); }

    // Opens a test: ok when its first question is on screen; the message to
    // show, if any. A missing file changes nothing; a test without questions
    // leaves the window in its start state.
    Outcome loadTest(const QString &path);

    // After a load, a test that asks for the student's name waits for it
    // with the start screen shown: a name that is not blank starts the
    // run; a refused name (cancel) returns to the start.
    bool awaitsName() const { return m_awaitsName; }
    bool giveName(const QString &name);
    void refuseName();
    const QString &studentName() const { return m_studentName; }

    void showQuestion(int index);
    // The user selected option `option` of the question on screen. Returns
    // whether that was a pick: selecting the option already selected is not.
    bool pick(int option);
    void next();
    void back();

    // Ends the run: the message to show and whether the program then ends.
    // The view returns to its start state.
    struct Finish
    {
        QString message;
        bool exitProgram = false;
        bool timeUp = false; // ended by the time limit
        int grade = 0;       // 2 to 5; 0 without grades
        RunOptions::Review reviewLevel = RunOptions::NoReview;
        QList<ReviewItem> review; // empty without a review
        Attempt attempt;          // for the journal
    };
    // Only offered while view().finishEnabled.
    Finish finish();

    // Brings view().timeLeft up to the clock. True when the time of a timed
    // run on screen is up: the caller then ends it with timeUp().
    bool updateClock();
    // Ends the run as finish() does, whatever AllowFinish says.
    Finish timeUp();
    // Milliseconds left, for a timed run on screen; otherwise 0.
    qint64 remaining() const;

    const RunView &view() const { return m_view; }
    const TestSettings &settings() const { return m_settings; }
    const RunOptions &options() const { return m_options; }
    const QStringList &sections() const { return m_sections; }
    const QStringList &answers() const { return m_answers; }
    // The options on screen as a pick stores them, a correct one ending in
    // a blank; for the run's own checks, never for the screen.
    const QStringList &optionsAsScored() const { return m_shown; }
    int current() const { return m_current; }

private:
    void showQuestion(int index, const IniDocument &doc);
    // Reads the test again into m_lastRead, noting a version not seen before.
    void readAgain();
    void beginQuestions();
    void showStartState();
    void applyFinishRule();
    void orderOptions(int index, bool shuffle);
    Finish end(bool timeUp);
    QList<ReviewItem> reviewOf(const IniDocument &doc) const;
    Attempt attemptOf(const ResultReport &figures, int grade, bool timeUp) const;

    Clock m_clock;
    QRandomGenerator m_random;
    RunOptions m_options;
    bool m_awaitsName = false;
    QString m_studentName;
    qint64 m_deadline = -1; // on m_clock; -1 when the run is not timed
    qint64 m_startedAt = 0; // on m_clock, when the first question showed
    QDateTime m_started;    // the same, in UTC
    QString m_sha256;       // of the test's bytes as loaded
    QStringList m_changes;  // of each other version read since, in order
    QByteArray m_lastBytes; // of the test as read last
    // Per question shown: its options' order, drawn when first shown.
    QList<QList<int>> m_optionOrders;

    ProfileFile m_file{QString()};
    IniDocument m_lastRead; // the test as last read, for when it can no longer be
    TestSettings m_settings;
    QStringList m_sections;
    // The options on screen as the run scores them: a correct one ends in a
    // blank. The view shows them without it.
    QStringList m_shown;
    QStringList m_answers;
    int m_current = 0;
    RunView m_view;
};
