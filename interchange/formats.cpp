#include "formats.h"

#include "aiken.h"
#include "gift.h"
#include "moodlexml.h"

#include <QFileInfo>

#include <algorithm>

namespace Interchange {

namespace {

struct Info
{
    Format format;
    const char *caption;
    const char *suffix;
    const char *name;
    bool knownBySuffix; // Aiken's ".txt" says nothing
};

constexpr Info Infos[] = {
        {Format::Gift, "GIFT", "gift", "gift", true},
        {Format::Aiken, "Aiken", "txt", "aiken", false},
        {Format::MoodleXml, "Moodle XML", "xml", "xml", true},
};

const Info &info(Format format)
{
    return *std::find_if(std::cbegin(Infos), std::cend(Infos),
                         [&](const Info &i) { return i.format == format; });
}

bool same(QStringView a, const char *b)
{
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

} // namespace

QString caption(Format format)
{
    return QString::fromUtf8(info(format).caption);
}

QString suffix(Format format)
{
    return QString::fromUtf8(info(format).suffix);
}

std::optional<Format> named(QStringView name)
{
    if (same(name, "moodlexml"))
        return Format::MoodleXml;
    for (const Info &i : Infos) {
        if (same(name, i.name))
            return i.format;
    }
    return std::nullopt;
}

std::optional<Format> ofFile(const QString &path)
{
    const QString ending = QFileInfo(path).suffix();
    for (const Info &i : Infos) {
        if (i.knownBySuffix && same(ending, i.suffix))
            return i.format;
    }
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
