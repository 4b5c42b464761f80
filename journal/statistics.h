#pragma once

#include "attempt.h"

#include <QList>
#include <QString>

#include <array>

// What a test's attempts tell as a whole, for the teacher.
struct Statistics
{
    int attempts = 0;
    double meanPercent = 0;
    double medianPercent = 0;
    // How many attempts scored 0–9 %, 10–19 %, ..., 90–100 %.
    std::array<int, 10> bands{};

    struct Question
    {
        QString section;
        QString text;
        int asked = 0;    // attempts that showed it
        double share = 0; // of those, the share answered correctly
        // The share correct in the upper group minus that in the lower,
        // each ⌈0.27·N⌉ attempts ranked by percentage.
        double discrimination = 0;
        QString commonWrong; // the wrong answer chosen most; empty when none was
        int commonWrongCount = 0;
    };
    QList<Question> questions; // in the order of their sections' first showing

    static Statistics of(const QList<Attempt> &attempts);
    static int bandOf(int percent) { return percent >= 90 ? 9 : std::max(percent, 0) / 10; }
};
