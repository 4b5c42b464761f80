#pragma once

#include "testfilecommands.h"

#include <QList>
#include <QString>

// What a conversion skipped or changed, each with the input's line (1 for
// the first; 0 where no line applies), for the user to read.
struct ReportLine
{
    int line = 0;
    QString message;
    int question = 0;     // for a writer's line: the question it is about, from 1
    bool skipped = false; // for a writer's line: that question was left out

    friend bool operator==(const ReportLine &a, const ReportLine &b)
    {
        return a.line == b.line && a.message == b.message;
    }
};
using Report = QList<ReportLine>;

// What a reader found in another program's file.
struct Imported
{
    EditorTest test;
    QList<int> questionLines; // where each question of test begins in the file
    Report report;
    bool wellFormed = true; // false: the file is broken as a whole, and nothing is read
};

// A question a writer leaves out; number counts from 1.
inline ReportLine skippedQuestion(int number, const QString &why)
{
    return {0, QStringLiteral("вопрос %1 пропущен: %2").arg(number).arg(why), number, true};
}
