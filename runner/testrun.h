#pragma once

#include "outcome.h"
#include "profilefile.h"
#include "testlayout.h"

#include <QString>
#include <QStringList>

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
};

// The state of one run through a test: the questions found, the answers
// chosen and the question on screen. Question texts and options are read
// from the file each time a question is shown, so a change on disk shows at
// the next question; a file that vanishes or turns unreadable mid-run is
// shown as it was read last. Messages for the user come back as text; the run itself
// shows nothing.
class TestRun
{
public:
    // Opens a test: ok when its first question is on screen; the message to
    // show, if any. A missing file changes nothing; a test without questions
    // leaves the window in its start state.
    Outcome loadTest(const QString &path);

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
    };
    // Only offered while view().finishEnabled.
    Finish finish();

    const RunView &view() const { return m_view; }
    const TestSettings &settings() const { return m_settings; }
    const QStringList &sections() const { return m_sections; }
    const QStringList &answers() const { return m_answers; }
    int current() const { return m_current; }

private:
    void showQuestion(int index, const IniDocument &doc);
    void showStartState();
    void applyFinishRule();

    ProfileFile m_file{QString()};
    IniDocument m_lastRead; // the test as last read, for when it can no longer be
    TestSettings m_settings;
    QStringList m_sections;
    QStringList m_answers;
    int m_current = 0;
    RunView m_view;
};
