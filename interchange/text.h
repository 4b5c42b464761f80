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

// HTML as plain text: tags and comments taken out, <br> and the ends of
// paragraphs, divisions, list items, headings and table rows as line
// breaks, other white space as in a browser, and character references
// (numeric and named) decoded. A "<" that opens no tag (one not followed by
// a letter, "/", "!" or "?") is text, as a browser shows it. Each picture,
// link, sound or video the text held is reported at line: the plain text
// has no place for it.
QString htmlToPlain(const QString &html, int line, Report &report);

// Which options are correct, from their weights in percent: those with
// full credit (100 or more); where none has it, those with a positive
// weight when these add up to 100, within a point of rounding (a question
// with several correct options). Any other positive weight is partial credit, which the test
// file cannot hold: that option counts as wrong.
QList<bool> correctByWeight(const QList<double> &weights);

// One of k equal shares of full credit, in percent, as a weight is written:
// "50", "33.33333", "12.5".
QString shareOf(int k);

// The line that tells that the partial weight of an option was dropped.
QString droppedWeight(const QString &weight, const QString &option);

// Character references alone decoded, for texts that are not HTML.
QString decodeEntities(QStringView text);

} // namespace InterchangeText
