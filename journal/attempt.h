#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One finished run of a test, as the journal keeps it.
struct AttemptAnswer
{
    QString section;  // the question's section in the test file
    QString question; // its text
    QString answer;   // the option chosen; null when none was
    bool correct = false;
};

struct Attempt
{
    // The longest texts the programs produce: a student's name as the name
    // box takes it, a test's text as its file holds it.
    static constexpr int MaxStudentLength = 100;
    static constexpr int MaxTextLength = 2047;

    QString id; // unique: a delivery tried twice stores it once
    QString testTitle;
    QString testFile;
    QString testSha256; // of the bytes read when the test was loaded, in hex
    // Of each other version of the file read during the run, in the order
    // read: a test changed while it ran (by a student who can write it, say).
    QStringList testChanges;
    QString testAuthor;
    QString student; // empty where the test does not ask for a name
    QString computer;
    QString account;
    QDateTime started;  // UTC
    QDateTime finished; // UTC
    int seconds = 0;
    int timeLimit = 0; // minutes; 0 for none
    int questions = 0;
    int answered = 0;
    int correct = 0;
    int percent = 0;
    int grade = 0;                // 2 to 5; 0 without grades
    QString ended;                // "student" or "time"
    QString version;              // the program's
    QList<AttemptAnswer> answers; // in the order shown

    // The attempt in one sentence, for a person to write down: "Тест
    // «Столицы», Иванова Анна, 10.12.2026 09:12: вопросов 2, отвечено 1,
    // верно 1 (50 %), оценка 3." (the time local, no name or grade where
    // there is none).
    QString figures() const;

    // Why these figures cannot come from a run of the programs (out of
    // range, not agreeing with each other or with the answers, a text
    // longer than the programs write), in Russian; empty for a sound one.
    QString fault() const;

    // A new id, and this computer and account.
    static Attempt begun();

    // As the spool keeps it, and back; nothing for bytes that are not one.
    QByteArray toJson() const;
    static std::optional<Attempt> fromJson(const QByteArray &json);
};
