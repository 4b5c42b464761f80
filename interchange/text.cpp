#include "text.h"

#include "cp1251.h"
#include "inidocument.h"
#include "testlayout.h"

#include <QStringDecoder>

#include <algorithm>
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

QString htmlToPlain(const QString &html)
{
    // Runs of white space are one blank, as a browser shows them; tags that
    // end a line become line breaks.
    QString flat;
    flat.reserve(html.size());
    for (qsizetype i = 0; i < html.size(); ++i) {
        const QChar c = html[i];
        if (c == u'<') {
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
    for (QString &line : lines)
        line = line.trimmed();
    while (!lines.isEmpty() && lines.first().isEmpty())
        lines.removeFirst();
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.join(u'\n');
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
