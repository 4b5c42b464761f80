#include "text.h"

#include "cp1251.h"
#include "inidocument.h"
#include "testlayout.h"

#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

namespace {

struct NamedReference
{
    const char *name;
    const char16_t *text;
};

// Sorted by name, as strcmp orders them.
const NamedReference NamedReferences[] = {
#include "htmlentities.inc"
};

// The characters a reference stands for, or a null string when it is none.
QString reference(QStringView body)
{
    if (body.startsWith(u'#')) {
        bool ok = false;
        const bool hex = body.size() > 1 && (body[1] == u'x' || body[1] == u'X');
        const uint code = body.sliced(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
        if (!ok)
            return QString();
        if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return QString(QChar::ReplacementCharacter);
        const char32_t c = code;
        return QString::fromUcs4(&c, 1);
    }
    const QByteArray name = body.toLatin1();
    const auto *end = std::end(NamedReferences);
    const auto *found = std::lower_bound(std::begin(NamedReferences), end, name,
                                         [](const NamedReference &r, const QByteArray &n) {
                                             return std::strcmp(r.name, n.constData()) < 0;
                                         });
    if (found == end || name != found->name)
        return QString();
    return QString::fromUtf16(found->text);
}

bool isBreakingTag(QStringView name)
{
    static const QStringList breaking{"br",  "/p",  "p",   "/div", "/li", "/h1",
                                      "/h2", "/h3", "/h4", "/h5",  "/h6", "/tr"};
    return breaking.contains(name.toString());
}

// Whether a "<" before rest opens a tag (or a comment), as a browser
// reads it; otherwise it is a character of the text.
bool opensTag(QStringView rest)
{
    if (rest.isEmpty())
        return false;
    const QChar c = rest[0];
    const auto isAsciiLetter
            = [](QChar l) { return (l >= u'a' && l <= u'z') || (l >= u'A' && l <= u'Z'); };
    return isAsciiLetter(c) || c == u'!' || c == u'?'
            || (c == u'/' && rest.size() > 1 && isAsciiLetter(rest[1]));
}

// What the plain text loses with a tag of this name and these attributes,
// or nothing.
QString lostWith(const QString &name, QStringView attributes)
{
    if (name == u"img")
        return QStringLiteral("рисунок не перенесён");
    if (name == u"a" && attributes.contains(QLatin1String("href"), Qt::CaseInsensitive))
        return QStringLiteral("ссылка не перенесена");
    static const QStringList media{"audio", "video", "embed", "object", "iframe"};
    if (media.contains(name))
        return QStringLiteral("звук или видео не перенесены");
    return QString();
}

} // namespace

namespace InterchangeText {

QString decodeEntities(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            // The longest name is 32 characters: the search looks no
            // further, so a text of many "&" stays linear.
            const QStringView window
                    = text.sliced(i + 1, std::min<qsizetype>(34, text.size() - i - 1));
            const qsizetype found = window.indexOf(u';');
            const qsizetype semicolon = found < 0 ? -1 : i + 1 + found;
            if (semicolon > i + 1) {
                const QString decoded = reference(text.sliced(i + 1, semicolon - i - 1));
                if (!decoded.isNull()) {
                    out += decoded;
                    i = semicolon;
                    continue;
                }
            }
        }
        out += text[i];
    }
    return out;
}

QString unmarkedOption(QString text)
{
    text = text.trimmed();
    while (text.startsWith(TestLayout::CorrectMark))
        text = text.sliced(1).trimmed();
    return text;
}

QString htmlToPlain(const QString &html, int line, Report &report)
{
    // Runs of white space are one blank, as a browser shows them; tags that
    // end a line become line breaks.
    QString flat;
    flat.reserve(html.size());
    for (qsizetype i = 0; i < html.size(); ++i) {
        const QChar c = html[i];
        if (c == u'<' && opensTag(QStringView(html).sliced(i + 1))) {
            if (QStringView(html).sliced(i).startsWith(u"<!--")) {
                const qsizetype end = html.indexOf(QLatin1String("-->"), i + 4);
                if (end < 0)
                    break; // an unclosed comment ends the text
                i = end + 2;
                continue;
            }
            const qsizetype close = html.indexOf(u'>', i + 1);
            if (close < 0)
                break; // an unclosed tag ends the text
            QStringView tag = QStringView(html).sliced(i + 1, close - i - 1).trimmed();
            const bool closing = tag.startsWith(u'/');
            if (closing)
                tag = tag.sliced(1);
            qsizetype end = 0;
            while (end < tag.size() && tag[end].isLetterOrNumber())
                ++end;
            const QString name = (closing ? QStringLiteral("/") : QString())
                    + tag.first(end).toString().toLower();
            if (const QString lost = lostWith(name, tag.sliced(end)); !lost.isEmpty())
                report.append({line, lost});
            // One break for "</p><p>"; every <br> counts.
            if (name == u"br" || (isBreakingTag(name) && !flat.isEmpty() && !flat.endsWith(u'\n')))
                flat += u'\n';
            i = close;
        } else if (c.isSpace()) {
            if (!flat.isEmpty() && !flat.endsWith(u' ') && !flat.endsWith(u'\n'))
                flat += u' ';
        } else {
            flat += c;
        }
    }
    const QString decoded = decodeEntities(flat);
    // No blank at either end of a line, no empty lines at the ends.
    QStringList lines = decoded.split(u'\n');
    for (QString &l : lines)
        l = l.trimmed();
    while (!lines.isEmpty() && lines.first().isEmpty())
        lines.removeFirst();
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.join(u'\n');
}

QList<bool> correctByWeight(const QList<double> &weights)
{
    // Full credit as written to five places; shares rounded by hand (three
    // of 33, six of 16.67) add up to 100 within a point.
    constexpr double FullTolerance = 0.01;
    constexpr double ShareTolerance = 1;
    QList<bool> correct;
    const bool anyFull = std::any_of(weights.cbegin(), weights.cend(),
                                     [](double w) { return w >= 100 - FullTolerance; });
    double positive = 0;
    for (const double w : weights)
        positive += w > 0 ? w : 0;
    const bool shared = !anyFull && std::abs(positive - 100) <= ShareTolerance;
    for (const double w : weights)
        correct.append(anyFull ? w >= 100 - FullTolerance : shared && w > 0);
    return correct;
}

QString shareOf(int k)
{
    QString s = QString::number(100.0 / k, 'f', 5);
    while (s.endsWith(u'0'))
        s.chop(1);
    if (s.endsWith(u'.'))
        s.chop(1);
    return s;
}

QString droppedWeight(const QString &weight, const QString &option)
{
    return QStringLiteral("частичный балл %1% не перенесён, вариант «%2» считается неверным")
            .arg(weight, option);
}

QString decodeInput(const QByteArray &bytes)
{
    QByteArrayView body = bytes;
    if (body.startsWith("\xEF\xBB\xBF"))
        body = body.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(body);
    if (!utf8.hasError())
        return text;
    return Cp1251::decode(bytes);
}

QString storable(const QString &text, int line, Report &report)
{
    QString stored = text;
    int replaced = 0;
    for (QChar &c : stored) {
        // A NUL would end the value where it stands.
        if (c.unicode() == 0 || !Cp1251::canEncode(c)) {
            c = u'?';
            ++replaced;
        }
    }
    if (replaced > 0) {
        report.append({line,
                       QStringLiteral("символов, которых не может быть в тесте, заменено "
                                      "на \"?\": %1")
                               .arg(replaced)});
    }
    if (stored.size() > IniDocument::MaxValueLength) {
        stored.truncate(IniDocument::MaxValueLength);
        // Cut, it ends as no text is read: without blanks or line breaks at its end.
        while (!stored.isEmpty() && stored.back().isSpace())
            stored.chop(1);
        report.append({line,
                       QStringLiteral("текст длиннее %1 символов обрезан")
                               .arg(IniDocument::MaxValueLength)});
    }
    return stored;
}

} // namespace InterchangeText
