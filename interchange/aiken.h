#pragma once

#include "report.h"

#include <QByteArray>

// The Aiken format: a question on one line, its options "A. text" or
// "A) text" on the lines after, then "ANSWER: X"; a blank line between
// questions. It holds one correct option per question.
namespace Aiken {

// The questions found; what could not be read is skipped and reported.
Imported read(const QByteArray &bytes);

// UTF-8 text. Questions without exactly one correct option, or with more
// options than letters, are skipped and reported.
QByteArray write(const EditorTest &test, Report &report);

} // namespace Aiken
