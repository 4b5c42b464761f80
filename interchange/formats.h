#pragma once

#include "report.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The other programs' formats by name, for the converter and the editor.
namespace Interchange {

enum class Format { Gift, Aiken, MoodleXml };

inline constexpr Format AllFormats[] = {Format::Gift, Format::Aiken, Format::MoodleXml};

// As a file dialog's filter shows it: "GIFT", "Aiken", "Moodle XML".
QString caption(Format format);
// The usual file name suffix, without the dot: "gift", "txt", "xml".
QString suffix(Format format);
// A format by its name on a command line ("gift", "aiken", "xml" or
// "moodlexml", in any case).
std::optional<Format> named(QStringView name);
// A format by a file name's suffix; Aiken files end in ".txt" as any text
// does, so they are never recognised so.
std::optional<Format> ofFile(const QString &path);

Imported read(Format format, const QByteArray &bytes);
QByteArray write(Format format, const EditorTest &test, Report &report);

// How many questions a write left out, from its report.
int skippedQuestions(const Report &report);

} // namespace Interchange
