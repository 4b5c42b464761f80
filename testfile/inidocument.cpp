#include "inidocument.h"

#include "cp1251.h"

#include <QByteArrayView>

#include <cstring>
#include <limits>

// Lines are kept as the file's own bytes: every character the syntax needs
// ('[', ']', '=', ';', blanks, line ends) is ASCII and one byte in
// Windows-1251, so only the values asked for are ever decoded, and
// untouched lines are written back exactly as they were read.

namespace {

// Sections with more keys than this get a hash index; smaller ones are
// searched in order, which is faster for the handful of keys a question has.
constexpr int IndexedSectionSize = 16;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Without the blanks (space, tab) at either end; a QString comes back
// unchanged, not copied, when it has none.
template<typename Text>
Text trimBlanks(const Text &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return begin == 0 && end == text.size() ? text : text.sliced(begin, end - begin);
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

// The name inside a header line: from after '[' to the first ']', or to the
// end of the line when there is none.
QByteArrayView headerName(QByteArrayView line)
{
    QByteArrayView name = trimBlanks(content(line)).sliced(1);
    const qsizetype close = indexOf(name, ']');
    return trimBlanks(close >= 0 ? name.first(close) : name);
}

QByteArray folded(QByteArrayView name)
{
    const unsigned char *fold = Cp1251::Tables::fold.data();
    QByteArray f(name.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < name.size(); ++i)
        f[i] = char(fold[static_cast<unsigned char>(name[i])]);
    return f;
}

bool equalFolded(QByteArrayView raw, QByteArrayView foldedName)
{
    if (raw.size() != foldedName.size())
        return false;
    const unsigned char *fold = Cp1251::Tables::fold.data();
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (char(fold[static_cast<unsigned char>(raw[i])]) != foldedName[i])
            return false;
    }
    return true;
}

// The bytes a value is written as. A value is one line, so line breaks
// become blanks. A value that starts or ends with a blank, or that a pair
// of quotes encloses, would lose those on the way back; one more pair keeps
// them.
template<typename Bytes>
void encodeForWrite(const QString &value, Bytes &out)
{
    QString single = value;
    if (single.contains(u'\r') || single.contains(u'\n')) {
        single.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        single.replace(u'\r', u' ').replace(u'\n', u' ');
    }
    // Read through a const view: front() of a shared QString would copy it.
    const QStringView text = single;
    const bool edgeBlank = !text.isEmpty() && (isBlank(text.front()) || isBlank(text.back()));
    const bool enclosed = text.size() >= 2 && text.front() == text.back()
            && (text.front() == u'"' || text.front() == u'\'');
    const bool quoted = edgeBlank || enclosed;
    out.resize(single.size() + (quoted ? 2 : 0));
    char *bytes = out.data();
    if (quoted)
        *bytes++ = '"';
    for (const QChar c : text) {
        const unsigned char b = Cp1251::encodeChar(c);
        *bytes++ = b != 0 || c.unicode() == 0 ? char(b) : '?';
    }
    if (quoted)
        *bytes = '"';
}

} // namespace

bool IniDocument::foldName(const QString &name, FoldedName &out)
{
    const QStringView trimmed = trimBlanks(QStringView(name));
    out.resize(trimmed.size());
    const unsigned char *fold = Cp1251::Tables::fold.data();
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const unsigned char byte = Cp1251::encodeChar(trimmed[i]);
        // A character the code page lacks matches nothing in a file; a NUL
        // is a byte like any other in a name.
        if (byte == 0 && trimmed[i].unicode() != 0)
            return false;
        out[i] = char(fold[byte]);
    }
    return true;
}

IniDocument IniDocument::parse(const QByteArray &bytes)
{
    IniDocument doc;
    doc.m_source = bytes;
    const char *data = doc.m_source.constData();
    const qsizetype size = doc.m_source.size();
    // Growing the section list and its index one by one costs more than a
    // count of the lines that open with '[' (a hint: indented headers are
    // missed, and a line of a million '[' counts once).
    qsizetype headers = size > 0 && data[0] == '[' ? 1 : 0;
    for (const char *p = data; (p = static_cast<const char *>(std::memchr(p, '\n', data + size - p)));) {
        if (++p < data + size && *p == '[')
            ++headers;
    }
    doc.m_sections.reserve(headers);
    doc.m_sectionIndex.reserve(headers);
    Section *current = nullptr;
    qsizetype start = 0;
    while (start < size) {
        // CR LF, LF alone and CR alone each end a line, as Windows reads them.
        const QByteArrayView rest(data + start, size - start);
        qsizetype end = indexOf(rest, '\n');
        end = end < 0 ? rest.size() : end + 1;
        const qsizetype cr = indexOf(rest.first(end), '\r');
        if (cr >= 0 && (cr + 1 == rest.size() || rest[cr + 1] != '\n'))
            end = cr + 1;
        // Lines share the bytes of the source: a large file is not copied.
        const QByteArray line = QByteArray::fromRawData(data + start, end);
        start += end;

        const QByteArrayView text = trimBlanks(content(line));
        if (text.startsWith('[')) {
            doc.m_sections.append(Section{});
            current = &doc.m_sections.last();
            current->lines.reserve(8);
            current->lines.append(line);
            // A repeated section is never found: the first of that name wins.
            const QByteArray name = folded(headerName(line));
            if (!doc.m_sectionIndex.contains(name))
                doc.m_sectionIndex.insert(name, int(doc.m_sections.size()) - 1);
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
        if (equals > 0 && !trimBlanks(QByteArrayView(line).first(equals)).isEmpty())
            noteKey(*current, int(current->lines.size()) - 1, int(equals + 1));
    }
    return doc;
}

QByteArrayView IniDocument::keyName(const Section &s, const Key &k)
{
    return trimBlanks(QByteArrayView(s.lines[k.line]).first(k.valueStart - 1));
}

int IniDocument::findKey(const Section &s, QByteArrayView foldedName)
{
    if (!s.index.isEmpty())
        return s.index.value(QByteArray::fromRawData(foldedName.data(), foldedName.size()), -1);
    for (int i = 0; i < s.keys.size(); ++i) {
        if (equalFolded(keyName(s, s.keys[i]), foldedName))
            return i;
    }
    return -1;
}

void IniDocument::noteKey(Section &s, int line, int valueStart)
{
    s.lastKeyLine = line;
    const QByteArrayView name = trimBlanks(QByteArrayView(s.lines[line]).first(valueStart - 1));
    FoldedName foldedName(name.size());
    const unsigned char *fold = Cp1251::Tables::fold.data();
    for (qsizetype i = 0; i < name.size(); ++i)
        foldedName[i] = char(fold[static_cast<unsigned char>(name[i])]);
    if (findKey(s, QByteArrayView(foldedName.data(), foldedName.size())) >= 0)
        return; // a repeated key: the first one wins
    s.keys.append(Key{line, valueStart});
    if (!s.index.isEmpty()) {
        s.index.insert(QByteArray(foldedName.data(), foldedName.size()), int(s.keys.size()) - 1);
    } else if (s.keys.size() > IndexedSectionSize) {
        for (int i = 0; i < s.keys.size(); ++i)
            s.index.insert(folded(keyName(s, s.keys[i])), i);
    }
    // The listing stops at the first name that no longer fits its buffer.
    const int bytes = int(name.size()) + 1;
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
    // Callers read several keys of one section in a row.
    if (m_lastSection >= 0 && section == m_lastSectionName)
        return &m_sections[m_lastSection];
    FoldedName name;
    if (!foldName(section, name))
        return nullptr;
    const auto it = m_sectionIndex.constFind(QByteArray::fromRawData(name.data(), name.size()));
    if (it == m_sectionIndex.cend())
        return nullptr;
    m_lastSection = *it;
    m_lastSectionName = section;
    return &m_sections[*it];
}

QString IniDocument::value(const Section &s, const Key &k)
{
    QByteArrayView value = content(s.lines[k.line]).sliced(k.valueStart);
    const qsizetype nul = indexOf(value, '\0');
    if (nul >= 0)
        value = value.first(nul); // a NUL ends the value
    value = trimBlanks(value);
    if (value.size() >= 2 && value.front() == value.back()
        && (value.front() == '"' || value.front() == '\'')) {
        value = value.sliced(1, value.size() - 2);
    }
    value = value.first(qMin<qsizetype>(value.size(), MaxValueLength));
    return Cp1251::decode(QByteArray::fromRawData(value.data(), value.size()));
}

QString IniDocument::readString(const QString &section, const QString &key,
                                const QString &defaultValue) const
{
    const Section *s = findSection(section);
    FoldedName name;
    const int k = s && foldName(key, name) ? findKey(*s, QByteArrayView(name.data(), name.size())) : -1;
    return k < 0 ? defaultValue : value(*s, s->keys[k]);
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
            names.append(Cp1251::decode(keyName(*s, s->keys[i]).toByteArray()));
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
    FoldedName name;
    const int k = s && foldName(key, name) ? findKey(*s, QByteArrayView(name.data(), name.size())) : -1;
    return k >= 0 && k < s->listed;
}

QStringList IniDocument::sectionNames() const
{
    QStringList names;
    names.reserve(m_sections.size());
    FoldedName foldedName;
    for (int i = 0; i < m_sections.size(); ++i) {
        const QByteArrayView name = headerName(m_sections[i].lines.first());
        foldedName.resize(name.size());
        for (qsizetype c = 0; c < name.size(); ++c)
            foldedName[c] = char(Cp1251::foldCase(static_cast<unsigned char>(name[c])));
        if (m_sections[i].listed > 0
            && m_sectionIndex.value(QByteArray::fromRawData(foldedName.data(), foldedName.size())) == i)
            names.append(Cp1251::decode(name.toByteArray()));
    }
    return names;
}

QList<IniDocument::Entry> IniDocument::readEntries(const QString &section) const
{
    QList<Entry> entries;
    if (const Section *s = findSection(section)) {
        entries.reserve(s->keys.size());
        for (int i = 0; i < s->keys.size(); ++i) {
            const QByteArrayView name = keyName(*s, s->keys[i]);
            entries.append(Entry{Cp1251::decode(QByteArray::fromRawData(name.data(), name.size())),
                                 value(*s, s->keys[i]), i < s->listed});
        }
    }
    return entries;
}

void IniDocument::endLine(QByteArray &line)
{
    if (lineEndLength(line) == 0)
        line += "\r\n";
}

int IniDocument::appendSection(const QString &name)
{
    if (!m_sections.isEmpty())
        endLine(m_sections.last().lines.last());
    else if (!m_preamble.isEmpty())
        endLine(m_preamble.last());
    const QByteArray encoded = Cp1251::encode(name);
    m_lastSection = -1; // the sections may move
    m_sections.append(Section{});
    m_sections.last().lines.append('[' + encoded + "]\r\n");
    const int index = int(m_sections.size()) - 1;
    m_sectionIndex.insert(folded(encoded), index);
    return index;
}

void IniDocument::writeString(const QString &section, const QString &key, const QString &value)
{
    QVarLengthArray<char, 256> encoded;
    encodeForWrite(value, encoded);
    const QByteArrayView text(encoded.data(), encoded.size());
    const QString sectionName = trimBlanks(section);
    const QString keyName = trimBlanks(key);

    const Section *found = findSection(sectionName);
    Section &s = found ? m_sections[found - m_sections.constData()] : m_sections[appendSection(sectionName)];
    FoldedName foldedKey;
    foldName(keyName, foldedKey);
    const int existing = findKey(s, QByteArrayView(foldedKey.data(), foldedKey.size()));
    if (existing >= 0) {
        // Keep the key's own spelling up to '=' and the line's own line end.
        const Key &k = s.keys[existing];
        QByteArray &line = s.lines[k.line];
        const qsizetype ending = lineEndLength(line);
        if (QByteArrayView(line).sliced(k.valueStart, line.size() - ending - k.valueStart) == text)
            return; // the same value: the line stays as it is
        QByteArray replaced;
        replaced.reserve(k.valueStart + text.size() + ending);
        replaced.append(QByteArrayView(line).first(k.valueStart)).append(text).append(
                QByteArrayView(line).last(ending));
        line = replaced;
        return;
    }
    const QByteArray encodedKey = Cp1251::encode(keyName);
    endLine(s.lines[s.lastKeyLine]);
    const int at = s.lastKeyLine + 1;
    QByteArray line;
    line.reserve(encodedKey.size() + text.size() + 3);
    line.append(encodedKey).append('=').append(text).append("\r\n");
    s.lines.insert(at, line);
    noteKey(s, at, int(encodedKey.size() + 1));
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
