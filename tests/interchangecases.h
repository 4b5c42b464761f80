#pragma once

// Conversions shown as text, so that a table row can say what it expects.
#include "report.h"

#include <QStringList>

// Each question as "text|option|option...", correct options marked.
inline QStringList questions(const EditorTest &test)
{
    QStringList out;
    for (int n = 0; n < test.document.questionCount(); ++n)
        out.append(
                (QStringList{test.document.questionText(n)} + test.document.answers(n)).join(u'|'));
    return out;
}

// Each line of a report as "line message".
inline QStringList reportText(const Report &report)
{
    QStringList out;
    for (const ReportLine &r : report)
        out.append(QString::number(r.line) + u' ' + r.message);
    return out;
}
