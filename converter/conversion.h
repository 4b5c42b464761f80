#pragma once

#include <QString>
#include <QStringList>

// One run of quivara-convert: a test moved between the test file and
// another program's format. Nothing here prints; the lines for standard
// error come back with the exit code.
namespace Conversion {

enum Exit {
    Converted = 0, // everything converted
    Partly = 1,    // written, with something skipped or replaced
    Failed = 2,    // nothing written
};

struct Result
{
    int exitCode = Failed;
    QStringList errors; // each a line for standard error
};

// arguments: the command line after the program's name.
Result run(const QStringList &arguments);

inline const QString Usage = QStringLiteral(
        "использование: quivara-convert [--from ФОРМАТ] [--to ФОРМАТ] [--force] ВХОД ВЫХОД "
        "(форматы: quivara, gift, aiken, xml)");

} // namespace Conversion
