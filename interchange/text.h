#pragma once

#include "report.h"

#include <QByteArray>
#include <QString>

// Text moving between the test file and other formats.
namespace InterchangeText {

// Input files: UTF-8, with or without a byte order mark, or Windows-1251
// where the bytes are not valid UTF-8.
QString decodeInput(const QByteArray &bytes);

// A text as the test file can hold it: characters the file lacks become
// "?" and one over the value limit is cut, each reported at line.
QString storable(const QString &text, int line, Report &report);

// An option's text as the test file can take it: no mark of a correct
// option, and no blank, at its start or end.
QString unmarkedOption(QString text);

// HTML as plain text: tags taken out, <br> and the ends of paragraphs,
// divisions, list items, headings and table rows as line breaks, other
// white space as in a browser, and character references (numeric and
// named) decoded.
QString htmlToPlain(const QString &html);

// Character references alone decoded, for texts that are not HTML.
QString decodeEntities(QStringView text);

} // namespace InterchangeText
