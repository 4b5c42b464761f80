#include "statistics.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <numeric>

Statistics Statistics::of(const QList<Attempt> &attempts)
{
    Statistics s;
    s.attempts = int(attempts.size());
    if (attempts.isEmpty())
        return s;
    QList<int> percents;
    for (const Attempt &a : attempts) {
        percents.append(a.percent);
        ++s.bands[bandOf(a.percent)];
    }
    s.meanPercent = std::accumulate(percents.begin(), percents.end(), 0.0) / percents.size();
    std::sort(percents.begin(), percents.end());
    const qsizetype n = percents.size();
    s.medianPercent = n % 2 ? percents[n / 2] : (percents[n / 2 - 1] + percents[n / 2]) / 2.0;

    // The attempts ranked by percentage, best first; ties keep their order.
    QList<int> ranked(attempts.size());
    std::iota(ranked.begin(), ranked.end(), 0);
    std::stable_sort(ranked.begin(), ranked.end(),
                     [&](int a, int b) { return attempts[a].percent > attempts[b].percent; });
    const int group = int(std::ceil(0.27 * double(attempts.size())));
    QList<bool> inUpper(attempts.size(), false), inLower(attempts.size(), false);
    for (int i = 0; i < group; ++i) {
        inUpper[ranked[i]] = true;
        inLower[ranked[ranked.size() - 1 - i]] = true; // a small class's attempt may be in both
    }
    struct Tally
    {
        int asked = 0, correct = 0, upper = 0, upperCorrect = 0, lower = 0, lowerCorrect = 0;
        QHash<QString, int> wrong;
        QStringList wrongOrder;
    };
    QHash<QString, int> index;
    QList<Tally> tallies;
    for (int i = 0; i < attempts.size(); ++i) {
        for (const AttemptAnswer &answer : attempts[i].answers) {
            int k = index.value(answer.section, -1);
            if (k < 0) {
                k = int(tallies.size());
                index.insert(answer.section, k);
                tallies.append(Tally{});
                s.questions.append({answer.section, answer.question});
            }
            Tally &t = tallies[k];
            ++t.asked;
            t.correct += answer.correct;
            if (inUpper[i]) {
                ++t.upper;
                t.upperCorrect += answer.correct;
            }
            if (inLower[i]) {
                ++t.lower;
                t.lowerCorrect += answer.correct;
            }
            if (!answer.correct && !answer.answer.isNull()) {
                if (!t.wrong.contains(answer.answer))
                    t.wrongOrder.append(answer.answer);
                ++t.wrong[answer.answer];
            }
        }
    }
    for (int q = 0; q < tallies.size(); ++q) {
        const Tally &t = tallies[q];
        Question &question = s.questions[q];
        question.asked = t.asked;
        question.share = t.asked ? double(t.correct) / t.asked : 0;
        const double upperShare = t.upper ? double(t.upperCorrect) / t.upper : 0;
        const double lowerShare = t.lower ? double(t.lowerCorrect) / t.lower : 0;
        question.discrimination = upperShare - lowerShare;
        for (const QString &answer : t.wrongOrder) {
            if (t.wrong[answer] > question.commonWrongCount) {
                question.commonWrong = answer;
                question.commonWrongCount = t.wrong[answer];
            }
        }
    }
    return s;
}
