#include "largetest.h"

EditorTest largeTest(const QString &variant)
{
    EditorTest test;
    test.settings.testName = QStringLiteral("Большой тест ") + variant;
    for (int n = 0; n < 10000; ++n) {
        test.document.addQuestion(
                QStringLiteral("Вопрос %1 (%2): сколько будет %1 + %1?").arg(n).arg(variant));
        test.document.setAnswersFromLines(n,
                                          {QString::number(n), QStringLiteral("*%1").arg(2 * n),
                                           QStringLiteral("%1 %2").arg(variant).arg(3 * n),
                                           QString::number(4 * n)});
    }
    return test;
}
