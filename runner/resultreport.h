#pragma once

#include "testlayout.h"

#include <QString>
#include <QStringList>

// The figures and the message shown when a test is finished.
struct ResultReport
{
    int total = 0;
    int answered = 0;
    int correct = 0;
    QString message;

    // answers holds one entry per question: empty when unanswered, ending
    // in a blank when the chosen option is a correct one. A grade from 2 to
    // 5 ends the figures; 0 shows none.
    static ResultReport make(const QStringList &answers, const QString &messageOnComplete,
                             bool showResult, int grade = 0);
};
