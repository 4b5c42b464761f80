#pragma once

#include "inidocument.h"
#include "version.h"

#include <QList>
#include <QVarLengthArray>
#include <QString>

// Where a test keeps what in its profile file, and the defaults of a reader.
namespace TestLayout {

inline const QString SettingsSection = QStringLiteral("Test");
inline const QString CreatedKey = QStringLiteral("Created");
inline const QString ProgramKey = QStringLiteral("Programm");
inline const QString VersionKey = QStringLiteral("Version");
inline const QString LastQuestionKey = QStringLiteral("LastQ");
inline const QString QuestionTextKey = QStringLiteral("QLabel");
inline const QString LastAnswerKey = QStringLiteral("LastA");
// A question whose options keep their file order under ShuffleAnswers holds
// Shuffle=0.
inline const QString ShuffleKey = QStringLiteral("Shuffle");

inline const QString ProgramName = QStringLiteral("Quivara");
inline const QString ProgramVersion = QStringLiteral(QUIVARA_VERSION);

// What the editor shows for a question the file leaves without text.
inline const QString NoQuestionText = QStringLiteral("Без текста задания");

// A correct option begins with this character.
inline constexpr QChar CorrectMark = u'*';

// A line break inside a question text is stored as this character, because
// a value is one line.
inline constexpr QChar StoredLineBreak = u'\u00B6';

// "Q0", "Q1", ... and "A0", "A1", ...
QString questionSection(int number);
QString answerKey(int number);

// LastQ of the settings section; 0 when absent.
int lastQuestion(const IniDocument &doc);

// The numbers n from 0 to lastQ whose section "Q<n>" holds at least one key,
// in increasing order. Found from the sections the file has, so a huge lastQ
// costs nothing.
QList<int> questionNumbers(const IniDocument &doc, int lastQ);

struct Option
{
    int number; // k of its key "A<k>"
    QString text;
    bool listed; // whether the section listing reaches its key
};
// One question section as stored: its text (null when the section has no
// QLabel) and the options whose keys "A<k>" exist for k from 0 to the
// section's LastA (0 when absent), in increasing k. Found from the keys the
// section has, so a huge LastA costs nothing.
struct Question
{
    QString text;
    QVarLengthArray<Option, 8> options;
    bool shuffle = true; // Shuffle, a switch; on when absent
};
Question readQuestion(const IniDocument &doc, const QString &section);

// A correct option as stored begins with CorrectMark ...
bool isCorrect(const QString &option);
// How many of a question's options are correct.
qsizetype correctCount(const QStringList &options);
// ... and, once the runner has shown it, ends in one blank instead: the
// answers of a run are marked so.
bool isCorrectAnswer(const QString &answer);

// A question text as typed (CR LF, LF or CR between lines) and as stored.
QString questionTextToFile(const QString &text);
QString questionTextFromFile(const QString &stored);

} // namespace TestLayout

// The seven settings of a test, with the defaults every reader applies.
struct TestSettings
{
    QString testName = QStringLiteral("Еще один тест для Quivara");
    QString author = QStringLiteral("Неизвестный автор");
    QString messageOnComplete = QStringLiteral("Тест завершен!");
    bool allowFinish = false;
    bool showResult = true;
    bool disableOpenTest = true;
    bool exitOnComplete = true;

    static TestSettings read(const IniDocument &doc);
    // Writes Programm, Version and the seven settings, in that order.
    void write(IniDocument &doc) const;

    friend bool operator==(const TestSettings &a, const TestSettings &b);
};

// The whole part of 100 * count / total, exact in integers; 0 when total is 0.
int percentOf(int count, int total);

// How a test is taken, beyond the seven settings: keys that old copies of
// the programs ignore, each meaning what the programs did before when it is
// absent. A value out of its range, or not a number, reads as the default.
struct RunOptions
{
    static constexpr int MaxTimeLimit = 24 * 60; // minutes

    bool shuffleQuestions = false;
    bool shuffleAnswers = false;
    int timeLimit = 0; // minutes, 1 to MaxTimeLimit; 0 for none
    bool askName = false;
    // A school grade from the share of correct answers, when all three
    // thresholds (percent, 0 to 100) are set.
    bool grades = false;
    int grade5 = 85;
    int grade4 = 70;
    int grade3 = 50;
    enum Review { NoReview = 0, StudentAnswers = 1, WithCorrectOptions = 2 };
    Review review = NoReview;

    static RunOptions read(const IniDocument &doc);
    // Writes each key whose value differs from its default or which the
    // file already holds, so a test that uses none of them is written as
    // before. Grades turned off write the three thresholds empty, if present.
    void write(IniDocument &doc) const;

    // 5, 4, 3 or 2 for `correct` answers out of `total`: the highest grade
    // whose threshold the share reaches, compared exactly; 0 without grades.
    int gradeFor(int correct, int total) const;

    // Why the grade thresholds cannot be used (one above the grade above
    // it), in Russian; empty when they can, or without grades.
    QString gradesError() const;
    // These options, where their thresholds cannot be used with held's
    // grades instead: a test keeps its last sound set while an author puts
    // the fields right.
    RunOptions withSoundGrades(const RunOptions &held) const;

    friend bool operator==(const RunOptions &a, const RunOptions &b);
    friend bool operator!=(const RunOptions &a, const RunOptions &b) { return !(a == b); }
};
