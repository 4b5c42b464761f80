// quivara-convert IN OUT: a test between the test file and the GIFT, Aiken
// and Moodle XML formats.
#include "conversion.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    // A file size limit makes a write fail, never ends the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    const Conversion::Result result = Conversion::run(app.arguments().mid(1));
    for (const QString &line : result.errors)
        std::fprintf(stderr, "%s\n", line.toUtf8().constData());
    return result.exitCode;
}
