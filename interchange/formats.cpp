#include "formats.h"

#include "aiken.h"
#include "gift.h"
#include "moodlexml.h"

#include <QFileInfo>

#include <algorithm>

namespace Interchange {

QString caption(Format format)
{
    switch (format) {
    case Format::Gift:
        return QStringLiteral("GIFT");
    case Format::Aiken:
        return QStringLiteral("Aiken");
    case Format::MoodleXml:
        return QStringLiteral("Moodle XML");
    }
    return QString();
}

QString suffix(Format format)
{
    switch (format) {
    case Format::Gift:
        return QStringLiteral("gift");
    case Format::Aiken:
        return QStringLiteral("txt");
    case Format::MoodleXml:
        return QStringLiteral("xml");
    }
    return QString();
}

std::optional<Format> named(QStringView name)
{
    const auto is = [&](const char *n) {
        return name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0;
    };
    if (is("gift"))
        return Format::Gift;
    if (is("aiken"))
        return Format::Aiken;
    if (is("xml") || is("moodlexml"))
        return Format::MoodleXml;
    return std::nullopt;
}

std::optional<Format> ofFile(const QString &path)
{
    const QString ending = QFileInfo(path).suffix();
    if (ending.compare(QLatin1String("gift"), Qt::CaseInsensitive) == 0)
        return Format::Gift;
    if (ending.compare(QLatin1String("xml"), Qt::CaseInsensitive) == 0)
        return Format::MoodleXml;
    return std::nullopt;
}

Imported read(Format format, const QByteArray &bytes)
{
    switch (format) {
    case Format::Gift:
        return Gift::read(bytes);
    case Format::Aiken:
        return Aiken::read(bytes);
    case Format::MoodleXml:
        return MoodleXml::read(bytes);
    }
    return Imported();
}

QByteArray write(Format format, const EditorTest &test, Report &report)
{
    switch (format) {
    case Format::Gift:
        return Gift::write(test, report);
    case Format::Aiken:
        return Aiken::write(test, report);
    case Format::MoodleXml:
        return MoodleXml::write(test, report);
    }
    return QByteArray();
}

int skippedQuestions(const Report &report)
{
    return int(std::count_if(report.cbegin(), report.cend(),
                             [](const ReportLine &r) { return r.skipped; }));
}

} // namespace Interchange
