#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

// The text of a PDF's pages, as poppler's pdftotext extracts it, with every
// run of white space made one blank so that wrapped lines compare as one.
// Empty when the tool is missing or failed.
inline QStringList pdfPages(const QString &path)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"),
               {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    if (!tool.waitForFinished(30000) || tool.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(tool.readAllStandardOutput()).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast(); // after the last page's form feed
    static const QRegularExpression space(QStringLiteral("\\s+"));
    for (QString &page : pages)
        page = page.replace(space, QStringLiteral(" ")).trimmed();
    return pages;
}

inline bool havePdfToText()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}
