#pragma once

#include "report.h"

#include <QByteArray>

// The GIFT format: questions separated by blank lines, each a text with its
// answers in braces. Multiple choice ("=right ~wrong", or weights
// "~%50%a"), and true or false ("{T}", "{FALSE}") are read; every other
// kind of question, and feedback, is skipped and reported.
namespace Gift {

Imported read(const QByteArray &bytes);

// UTF-8 text. One correct option is written "=", several are weighted so
// that choosing every option earns nothing; a question without a correct
// option is skipped and reported.
QByteArray write(const EditorTest &test, Report &report);

} // namespace Gift
