#pragma once

#include <QList>
#include <QString>

// What a conversion skipped or changed, each with the input's line (1 for
// the first; 0 where no line applies), for the user to read.
struct ReportLine
{
    int line = 0;
    QString message;

    friend bool operator==(const ReportLine &a, const ReportLine &b)
    {
        return a.line == b.line && a.message == b.message;
    }
};
using Report = QList<ReportLine>;
