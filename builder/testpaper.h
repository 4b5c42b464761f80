#pragma once

#include "testfilecommands.h"

#include <QMarginsF>

class QIODevice;
class QPagedPaintDevice;

// A test on paper, to hand out: the title and author, a line for the
// student's name, and the questions numbered, each option behind an empty box
// and nothing showing which are correct. A question starts a new page rather
// than break across two, unless it is longer than a page. With the key, a
// last page tells the correct options of each question.
namespace TestPaper {

// The box in front of each option, and the letters that name the options
// (after the last one they are numbered).
inline constexpr QChar OptionBox = QChar(0x2610);
QString optionLabel(int index);

// Lays the test out on the device's pages and paints pages fromPage to
// toPage (from 1; 0 for the first or the last); false when the device could
// not be painted on.
bool print(const EditorTest &test, bool withKey, QPagedPaintDevice *device, int fromPage = 0,
           int toPage = 0);

// The margins of a printed test, in millimetres.
inline const QMarginsF Margins(20, 15, 20, 15);

// The whole test as a PDF of A4 pages written to out, titled as the test is.
bool writePdf(const EditorTest &test, bool withKey, QIODevice *out, const QString &creator);

} // namespace TestPaper
