#pragma once

#include "report.h"

#include <QByteArray>

// Moodle's XML question format: "multichoice" (one or several correct
// answers) and "truefalse" questions are read, an answer being correct when
// its fraction is above zero; other types are skipped and reported.
namespace MoodleXml {

Imported read(const QByteArray &bytes);

// UTF-8 XML, fractions 100 and 0 for one correct answer; with several, each
// correct one 100 / k and each wrong one -100. A question without a correct
// option is skipped and reported.
QByteArray write(const EditorTest &test, Report &report);

} // namespace MoodleXml
