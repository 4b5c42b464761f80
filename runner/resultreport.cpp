#include "resultreport.h"

#include "testlayout.h"

ResultReport ResultReport::make(const QStringList &answers, const QString &messageOnComplete,
                                bool showResult, int grade)
{
    ResultReport r;
    r.total = answers.size();
    for (const QString &answer : answers) {
        r.answered += answer.isEmpty() ? 0 : 1;
        r.correct += TestLayout::isCorrectAnswer(answer) ? 1 : 0;
    }
    r.message = messageOnComplete;
    if (showResult) {
        r.message += QStringLiteral("\r\n\r\nВсего вопросов: %1\r\nДано ответов: %2 (%3%)"
                                    "\r\nПравильных ответов: %4 (%5%)")
                             .arg(r.total)
                             .arg(r.answered)
                             .arg(percentOf(r.answered, r.total))
                             .arg(r.correct)
                             .arg(percentOf(r.correct, r.total));
        if (grade > 0)
            r.message += QStringLiteral("\r\nОценка: %1").arg(grade);
    }
    return r;
}
