#include "inidocument.h"

#include "cp1251.h"

#include <QByteArrayView>

#include <cstring>
#include <limits>

// Lines are kept as the file's own bytes: every character the syntax needs
// ('[', ']', '=', ';', blanks, line ends) is ASCII and one byte in
// Windows-1251, so only names and the values asked for are ever decoded, and
// untouched lines are written back exactly as they were read.

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QByteArrayView trimBlanks(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

// Length of the line end ("\r\n", "\n", "\r" or none) closing a raw line.
qsizetype lineEndLength(QByteArrayView line)
{
    if (line.endsWith("\r\n"))
        return 2;
    if (line.endsWith('\n') || line.endsWith('\r'))
        return 1;
    return 0;
}

QByteArrayView content(QByteArrayView line)
{
    return line.first(line.size() - lineEndLength(line));
}

qsizetype indexOf(QByteArrayView text, char c)
{
    const void *found = std::memchr(text.data(), c, size_t(text.size()));
    return found ? static_cast<const char *>(found) - text.data() : -1;
}

// CR LF, LF alone and CR alone each end a line, as Windows reads them. The
// lines share the bytes of source, so a large file is not copied line by line.
QByteArrayList splitLines(const QByteArray &source)
{
    QByteArrayList lines;
    const char *data = source.constData();
    const qsizetype size = source.size();
    qsizetype start = 0;
    while (start < size) {
        const QByteArrayView rest(data + start, size - start);
        qsizetype end = indexOf(rest, '\n');
        end = end < 0 ? rest.size() : end + 1;
        // A CR before the LF ends the line there, unless it belongs to a CR LF.
        const qsizetype cr = indexOf(rest.first(end), '\r');
        if (cr >= 0 && (cr + 1 == rest.size() || rest[cr + 1] != '\n'))
            end = cr + 1;
        lines.append(QByteArray::fromRawData(data + start, end));
        start += end;
    }
    return lines;
}

// The name inside a header line: from after '[' to the first ']', or to the
// end of the line when there is none.
QByteArrayView headerName(QByteArrayView trimmedLine)
{
    QByteArrayView name = trimmedLine.sliced(1);
    const qsizetype close = indexOf(name, ']');
    return trimBlanks(close >= 0 ? name.first(close) : name);
}

QString fold(const QString &name)
{
    return trimBlanks(name).toCaseFolded();
}

// A value that starts or ends with a blank, or that a pair of quotes
// encloses, would lose those on the way back; one more pair keeps them.
QString quotedForWrite(const QString &value)
{
    const bool edgeBlank = !value.isEmpty() && (isBlank(value.front()) || isBlank(value.back()));
    const bool enclosed = value.size() >= 2 && value.front() == value.back()
            && (value.front() == u'"' || value.front() == u'\'');
    return edgeBlank || enclosed ? u'"' + value + u'"' : value;
}

} // namespace

IniDocument IniDocument::parse(const QByteArray &bytes)
{
    IniDocument doc;
    doc.m_source = bytes;
    Section *current = nullptr;
    for (const QByteArray &line : splitLines(doc.m_source)) {
        const QByteArrayView text = trimBlanks(content(line));
        if (text.startsWith('[')) {
            doc.m_sections.append(Section{});
            current = &doc.m_sections.last();
            current->name = Cp1251::decode(headerName(text).toByteArray());
            current->lines.append(line);
            // A repeated section is never found: the first of that name wins.
            const QString folded = current->name.toCaseFolded();
            if (!doc.m_sectionIndex.contains(folded))
                doc.m_sectionIndex.insert(folded, doc.m_sections.size() - 1);
            continue;
        }
        if (!current) {
            // Lines before the first header belong to no section.
            doc.m_preamble.append(line);
            continue;
        }
        current->lines.append(line);
        if (text.startsWith(';'))
            continue; // a comment
        const qsizetype equals = indexOf(content(line), '=');
        if (equals < 0)
            continue; // not an entry
        const QByteArrayView name = trimBlanks(QByteArrayView(line).first(equals));
        if (!name.isEmpty())
            noteKey(*current, Cp1251::decode(name.toByteArray()), current->lines.size() - 1,
                    int(equals + 1));
    }
    return doc;
}

void IniDocument::noteKey(Section &s, const QString &name, int line, int valueStart)
{
    s.lastKeyLine = line;
    const QString folded = name.toCaseFolded();
    if (s.index.contains(folded))
        return; // a repeated key: the first one wins
    s.index.insert(folded, s.keys.size());
    s.keys.append(Key{name, line, valueStart});
    // The listing stops at the first name that no longer fits its buffer.
    const int bytes = name.size() + 1;
    if (s.listed == s.keys.size() - 1 && s.listedBytes + bytes <= MaxSectionListing) {
        ++s.listed;
        s.listedBytes += bytes;
    }
}

QByteArray IniDocument::toBytes() const
{
    qsizetype size = 0;
    for (const QByteArray &line : m_preamble)
        size += line.size();
    for (const Section &s : m_sections) {
        for (const QByteArray &line : s.lines)
            size += line.size();
    }
    QByteArray bytes;
    bytes.reserve(size);
    for (const QByteArray &line : m_preamble)
        bytes += line;
    for (const Section &s : m_sections) {
        for (const QByteArray &line : s.lines)
            bytes += line;
    }
    return bytes;
}

const IniDocument::Section *IniDocument::findSection(const QString &section) const
{
    const auto it = m_sectionIndex.constFind(fold(section));
    return it == m_sectionIndex.cend() ? nullptr : &m_sections[*it];
}

const IniDocument::Key *IniDocument::findKey(const Section &s, const QString &key)
{
    const auto it = s.index.constFind(fold(key));
    return it == s.index.cend() ? nullptr : &s.keys[*it];
}

QString IniDocument::readString(const QString &section, const QString &key,
                                const QString &defaultValue) const
{
    const Section *s = findSection(section);
    const Key *k = s ? findKey(*s, key) : nullptr;
    if (!k)
        return defaultValue;
    QByteArrayView value = content(s->lines[k->line]).sliced(k->valueStart);
    const qsizetype nul = indexOf(value, '\0');
    if (nul >= 0)
        value = value.first(nul); // a NUL ends the value
    value = trimBlanks(value);
    if (value.size() >= 2 && value.front() == value.back()
        && (value.front() == '"' || value.front() == '\'')) {
        value = value.sliced(1, value.size() - 2);
    }
    return Cp1251::decode(value.first(qMin<qsizetype>(value.size(), MaxValueLength)).toByteArray());
}

int IniDocument::toInteger(const QString &text, int defaultValue)
{
    QStringView t = text;
    QString replaced;
    if (t.size() >= 3 && (t.startsWith(u"0x") || t.startsWith(u"0X"))) {
        replaced = u'$' + text.mid(2);
        t = replaced;
    }
    qsizetype i = 0;
    while (i < t.size() && t[i] == u' ')
        ++i; // leading spaces only; a tab is not skipped
    bool negative = false;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+'))
        negative = t[i++] == u'-';

    bool hex = false;
    if (i < t.size() && (t[i] == u'$' || t[i] == u'x' || t[i] == u'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < t.size() && t[i] == u'0' && (t[i + 1] == u'x' || t[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i == t.size())
        return defaultValue; // no digits
    quint64 magnitude = 0;
    for (; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (hex && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (hex && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return defaultValue; // anything after the digits, a blank included
        magnitude = magnitude * (hex ? 16 : 10) + digit;
        if (magnitude > (hex ? 0xFFFFFFFFull : 0x80000000ull))
            return defaultValue;
    }
    if (hex) {
        // Eight hex digits are a 32-bit pattern: $FFFFFFFF is -1.
        const auto pattern = static_cast<quint32>(magnitude);
        return static_cast<qint32>(negative ? 0u - pattern : pattern);
    }
    if (!negative && magnitude > quint64(std::numeric_limits<qint32>::max()))
        return defaultValue;
    return static_cast<qint32>(negative ? -qint64(magnitude) : qint64(magnitude));
}

int IniDocument::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    return toInteger(readString(section, key, QString()), defaultValue);
}

bool IniDocument::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

QStringList IniDocument::readSection(const QString &section) const
{
    QStringList names;
    if (const Section *s = findSection(section)) {
        for (int i = 0; i < s->listed; ++i)
            names.append(s->keys[i].name);
    }
    return names;
}

bool IniDocument::sectionExists(const QString &section) const
{
    const Section *s = findSection(section);
    return s && s->listed > 0;
}

bool IniDocument::valueExists(const QString &section, const QString &key) const
{
    const Section *s = findSection(section);
    const Key *k = s ? findKey(*s, key) : nullptr;
    return k && k - s->keys.constData() < s->listed;
}

QStringList IniDocument::sectionNames() const
{
    QStringList names;
    for (int i = 0; i < m_sections.size(); ++i) {
        if (m_sectionIndex.value(m_sections[i].name.toCaseFolded()) == i)
            names.append(m_sections[i].name);
    }
    return names;
}

QStringList IniDocument::keyNames(const QString &section) const
{
    QStringList names;
    if (const Section *s = findSection(section)) {
        for (const Key &k : s->keys)
            names.append(k.name);
    }
    return names;
}

void IniDocument::endLine(QByteArray &line)
{
    if (lineEndLength(line) == 0)
        line += "\r\n";
}

void IniDocument::appendSection(const QString &name)
{
    if (!m_sections.isEmpty())
        endLine(m_sections.last().lines.last());
    else if (!m_preamble.isEmpty())
        endLine(m_preamble.last());
    m_sections.append(Section{});
    m_sections.last().name = name;
    m_sections.last().lines.append('[' + Cp1251::encode(name) + "]\r\n");
    m_sectionIndex.insert(name.toCaseFolded(), m_sections.size() - 1);
}

void IniDocument::writeString(const QString &section, const QString &key, const QString &value)
{
    QString single = value;
    single.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    single.replace(u'\r', u' ').replace(u'\n', u' ');
    const QByteArray text = Cp1251::encode(quotedForWrite(single));
    const QString sectionName = trimBlanks(section);
    const QString keyName = trimBlanks(key);

    auto it = m_sectionIndex.constFind(sectionName.toCaseFolded());
    if (it == m_sectionIndex.cend()) {
        appendSection(sectionName);
        it = m_sectionIndex.constFind(sectionName.toCaseFolded());
    }
    Section &s = m_sections[*it];
    const int existing = s.index.value(keyName.toCaseFolded(), -1);
    if (existing >= 0) {
        // Keep the key's own spelling up to '=' and the line's own line end.
        const Key &k = s.keys[existing];
        QByteArray &line = s.lines[k.line];
        line = line.first(k.valueStart) + text + line.sliced(line.size() - lineEndLength(line));
        return;
    }
    endLine(s.lines[s.lastKeyLine]);
    const int at = s.lastKeyLine + 1;
    const QByteArray encodedKey = Cp1251::encode(keyName);
    s.lines.insert(at, encodedKey + '=' + text + "\r\n");
    noteKey(s, keyName, at, int(encodedKey.size() + 1));
}

void IniDocument::writeInteger(const QString &section, const QString &key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniDocument::writeBool(const QString &section, const QString &key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QString IniDocument::dateTimeText(const QDateTime &value, const QLocale &locale)
{
    const QString date = locale.toString(value.date(), QLocale::ShortFormat);
    const QTime time = value.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return date;
    // Qt's long time format names the time zone; a plain clock time is wanted.
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(u't');
    return date + u' ' + locale.toString(time, format.trimmed());
}

void IniDocument::writeDateTime(const QString &section, const QString &key,
                                const QDateTime &value, const QLocale &locale)
{
    writeString(section, key, dateTimeText(value, locale));
}
