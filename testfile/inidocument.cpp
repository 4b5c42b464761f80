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
    const qsizetype n = line.size();
    if (n == 0 || (line[n - 1] != '\n' && line[n - 1] != '\r'))
        return 0;
    return n >= 2 && line[n - 1] == '\n' && line[n - 2] == '\r' ? 2 : 1;
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
    QByteArray f;
    Cp1251::foldInto(name, f);
    return f;
}

// FNV-1a: cheap, and enough to tell "Q1" from "Q2".
quint32 nameHash(QByteArrayView folded)
{
    quint32 hash = 2166136261u;
    for (const char c : folded) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

// Finds line ends in one pass over the text, whatever their style: the
// next CR and the next LF are each searched for once, not again for every
// line, so a file of CRs alone takes as long as one of CR LFs.
class LineSplitter
{
public:
    explicit LineSplitter(QByteArrayView text)
        : m_text(text)
    {
    }
    // The length of the line at pos, its line end (CR LF, LF or CR) included.
    qsizetype lineLength(qsizetype pos)
    {
        const qsizetype lf = next(m_lf, pos, '\n');
        const qsizetype cr = next(m_cr, pos, '\r');
        if (cr < lf)
            return cr + 1 < m_text.size() && m_text[cr + 1] == '\n' ? cr + 2 - pos : cr + 1 - pos;
        return lf < m_text.size() ? lf + 1 - pos : m_text.size() - pos;
    }

private:
    // The first c at or after pos, or the text's size; found is the
    // position found last, reused while it lies ahead of pos.
    qsizetype next(qsizetype &found, qsizetype pos, char c) const
    {
        if (found < pos) {
            const void *p = std::memchr(m_text.data() + pos, c, size_t(m_text.size() - pos));
            found = p ? static_cast<const char *>(p) - m_text.data() : m_text.size();
        }
        return found;
    }

    QByteArrayView m_text;
    qsizetype m_lf = -1;
    qsizetype m_cr = -1;
};

// The bytes a value is written as. A value is one line, so line breaks
// become blanks. A value that starts or ends with a blank, or that a pair
// of quotes encloses, would lose those on the way back; one more pair keeps
// them.
template<typename Bytes>
void encodeForWrite(QStringView text, Bytes &out)
{
    // A line break at an edge becomes a blank there.
    auto blankOnceWritten = [](QChar c) { return isBlank(c) || c == u'\r' || c == u'\n'; };
    const bool edgeBlank
            = !text.isEmpty() && (blankOnceWritten(text.front()) || blankOnceWritten(text.back()));
    const bool enclosed = text.size() >= 2 && text.front() == text.back()
            && (text.front() == u'"' || text.front() == u'\'');
    const bool quoted = edgeBlank || enclosed;
    out.resize(text.size() + (quoted ? 2 : 0));
    char *bytes = out.data();
    if (quoted)
        *bytes++ = '"';
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            *bytes++ = ' '; // CR LF, CR and LF each become one blank
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            continue;
        }
        *bytes++ = Cp1251::encodeOrQuestionMark(c);
    }
    if (quoted)
        *bytes++ = '"';
    out.resize(bytes - out.data());
}

} // namespace

bool IniDocument::foldName(QStringView name, FoldedName &out)
{
    const QStringView trimmed = trimBlanks(name);
    out.resize(trimmed.size());
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const unsigned char byte = Cp1251::encodeChar(trimmed[i]);
        // A character the code page lacks matches nothing in a file; a NUL
        // is a byte like any other in a name.
        if (byte == 0 && trimmed[i].unicode() != 0)
            return false;
        out[i] = char(Cp1251::foldCase(byte));
    }
    return true;
}

IniDocument IniDocument::parse(const QByteArray &bytes)
{
    IniDocument doc;
    doc.m_source = bytes;
    const QByteArrayView source = doc.m_source;
    LineSplitter lines(source);
    Section *current = nullptr; // null before the first header and in a repeated section
    for (qsizetype pos = 0; pos < source.size();) {
        const qsizetype length = lines.lineLength(pos);
        const QByteArrayView line = source.sliced(pos, length);
        const QByteArrayView text = trimBlanks(content(line));
        if (text.startsWith('['))
            current = doc.openSection(pos, length);
        else if (current && !text.startsWith(';')) // ';' opens a comment
            doc.noteLine(*current, pos, length);
        pos += length;
    }
    return doc;
}

IniDocument::Section *IniDocument::openSection(qsizetype pos, qsizetype length)
{
    // A repeated section is never found: the first of that name wins, and
    // the later one's lines are left as they are.
    const QByteArrayView source = m_source;
    const QByteArrayView raw = headerName(source.sliced(pos, length));
    FoldedName name;
    Cp1251::foldInto(raw, name);
    const QByteArrayView folded(name.data(), name.size());
    const quint32 hash = nameHash(folded);
    if (findSection(folded, hash) >= 0)
        return nullptr;
    m_sections.append(Section{pos, pos + length, raw.data() - source.data(), raw.size(), hash});
    m_sections.last().firstKey = int(m_keys.size());
    indexSection(int(m_sections.size()) - 1);
    return &m_sections.last();
}

void IniDocument::noteLine(Section &s, qsizetype pos, qsizetype length)
{
    // A line without '=', or with nothing before it, is no key.
    const QByteArrayView line = QByteArrayView(m_source).sliced(pos, length);
    const qsizetype equals = indexOf(content(line), '=');
    if (equals <= 0 || trimBlanks(line.first(equals)).isEmpty())
        return;
    s.insertAt = pos + length; // repeated keys count here too
    noteKey(s, Key{pos, length, equals + 1});
}

QByteArrayView IniDocument::line(const Key &k) const
{
    if (k.edited >= 0)
        return m_edits[k.edited];
    return QByteArrayView(m_source).sliced(k.begin, k.length);
}

QByteArrayView IniDocument::sectionName(const Section &s) const
{
    if (s.header >= 0)
        return headerName(m_edits[s.header]);
    return QByteArrayView(m_source).sliced(s.nameBegin, s.nameLength);
}

int IniDocument::findSection(QByteArrayView folded, quint32 hash) const
{
    if (m_sectionSlots.isEmpty())
        return -1;
    const qsizetype mask = m_sectionSlots.size() - 1;
    for (qsizetype slot = hash & mask;; slot = (slot + 1) & mask) {
        const int index = m_sectionSlots[slot] - 1;
        if (index < 0)
            return -1;
        const Section &s = m_sections[index];
        if (s.hash == hash && Cp1251::equalIgnoringCase(sectionName(s), folded))
            return index;
    }
}

void IniDocument::indexSection(int section)
{
    if (m_sections.size() * 2 > m_sectionSlots.size()) {
        // Grow to four times the sections, and place them all again.
        m_sectionSlots.fill(
                0, qMax<qsizetype>(16, qNextPowerOfTwo(quint64(m_sections.size()) * 4 - 1)));
        for (int i = 0; i < m_sections.size(); ++i) {
            if (i != section)
                indexSection(i);
        }
    }
    const qsizetype mask = m_sectionSlots.size() - 1;
    qsizetype slot = m_sections[section].hash & mask;
    while (m_sectionSlots[slot] != 0)
        slot = (slot + 1) & mask;
    m_sectionSlots[slot] = section + 1;
}

QByteArrayView IniDocument::keyName(const Key &k) const
{
    return trimBlanks(line(k).first(k.valueStart - 1));
}

int IniDocument::findKey(const Section &s, QByteArrayView foldedName) const
{
    if (!s.index.isEmpty())
        return s.index.value(QByteArray::fromRawData(foldedName.data(), foldedName.size()), -1);
    const quint32 hash = nameHash(foldedName);
    for (int i = 0; i < keyCount(s); ++i) {
        const Key &k = keyAt(s, i);
        if (k.hash == hash && Cp1251::equalIgnoringCase(keyName(k), foldedName))
            return i;
    }
    return -1;
}

void IniDocument::noteKey(Section &s, Key k)
{
    const QByteArrayView name = keyName(k);
    FoldedName foldedName;
    Cp1251::foldInto(name, foldedName);
    const QByteArrayView key(foldedName.data(), foldedName.size());
    if (findKey(s, key) >= 0)
        return; // a repeated key: the first one wins
    k.hash = nameHash(key);
    if (k.begin >= 0) {
        m_keys.append(k); // the parse adds the keys of one section at a time
        ++s.sourceKeys;
    } else {
        s.added.append(k);
    }
    const int count = keyCount(s);
    if (!s.index.isEmpty()) {
        s.index.insert(key.toByteArray(), count - 1);
    } else if (count > IndexedSectionSize) {
        for (int i = 0; i < count; ++i)
            s.index.insert(folded(keyName(keyAt(s, i))), i);
    }
    // The listing stops at the first name that no longer fits its buffer.
    const qsizetype bytes = name.size() + 1;
    if (s.listed == count - 1 && s.listedBytes + bytes <= MaxSectionListing) {
        ++s.listed;
        s.listedBytes += bytes;
    }
}

QByteArray IniDocument::toBytes() const
{
    QByteArray bytes;
    qsizetype size = m_source.size();
    for (const QByteArray &edit : m_edits)
        size += edit.size() + 2;
    bytes.reserve(size);
    const QByteArrayView source = m_source;
    qsizetype copied = 0; // the source is written up to here
    auto copyTo = [&](qsizetype end) {
        bytes.append(source.sliced(copied, end - copied));
        copied = end;
    };
    // A line goes on a line of its own: a last line without a line end gets one.
    auto appendLine = [&](QByteArrayView line) {
        if (!bytes.isEmpty() && !bytes.endsWith('\n') && !bytes.endsWith('\r'))
            bytes.append("\r\n");
        bytes.append(line);
    };
    for (const Section &s : m_sections) {
        if (s.header >= 0) {
            copyTo(source.size());
            appendLine(m_edits[s.header]);
        }
        for (int i = 0; i < keyCount(s); ++i) {
            const Key &k = keyAt(s, i);
            if (k.begin >= 0 && k.edited >= 0) {
                copyTo(k.begin);
                bytes.append(m_edits[k.edited]);
                copied = k.begin + k.length;
            } else if (k.begin < 0) {
                if (s.header < 0)
                    copyTo(s.insertAt);
                appendLine(m_edits[k.edited]);
            }
        }
    }
    copyTo(source.size());
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
    const QByteArrayView folded(name.data(), name.size());
    const int index = findSection(folded, nameHash(folded));
    if (index < 0)
        return nullptr;
    m_lastSection = index;
    m_lastSectionName = section;
    return &m_sections[index];
}

QString IniDocument::value(const Key &k) const
{
    const QByteArrayView bytes = storedValue(k);
    return Cp1251::decode(QByteArray::fromRawData(bytes.data(), bytes.size()));
}

QByteArrayView IniDocument::storedValue(const Key &k) const
{
    QByteArrayView value = content(line(k)).sliced(k.valueStart);
    const qsizetype nul = indexOf(value, '\0');
    if (nul >= 0)
        value = value.first(nul); // a NUL ends the value
    value = trimBlanks(value);
    if (value.size() >= 2 && value.front() == value.back()
        && (value.front() == '"' || value.front() == '\'')) {
        value = value.sliced(1, value.size() - 2);
    }
    return value.first(qMin<qsizetype>(value.size(), MaxValueLength));
}

QString IniDocument::readString(const QString &section, const QString &key,
                                const QString &defaultValue) const
{
    const Section *s = findSection(section);
    FoldedName name;
    const int k
            = s && foldName(key, name) ? findKey(*s, QByteArrayView(name.data(), name.size())) : -1;
    return k < 0 ? defaultValue : value(keyAt(*s, k));
}

namespace {

char16_t unit(QChar c)
{
    return c.unicode();
}

char16_t unit(char c)
{
    return static_cast<unsigned char>(c);
}

// The integer rules on text or on stored bytes alike: every character that
// matters is ASCII.
template<typename View>
int parseInteger(View t, int defaultValue)
{
    auto at = [&](qsizetype i) { return unit(t[i]); };
    qsizetype i = 0;
    bool negative = false;
    bool hex = false;
    if (t.size() >= 3 && at(0) == u'0' && (at(1) == u'x' || at(1) == u'X')) {
        // "0x" stands for "$": no blanks or sign before it.
        hex = true;
        i = 2;
    } else {
        while (i < t.size() && at(i) == u' ')
            ++i; // leading spaces only; a tab is not skipped
        if (i < t.size() && (at(i) == u'-' || at(i) == u'+'))
            negative = at(i++) == u'-';
        if (i < t.size() && (at(i) == u'$' || at(i) == u'x' || at(i) == u'X')) {
            hex = true;
            ++i;
        } else if (i + 1 < t.size() && at(i) == u'0' && (at(i + 1) == u'x' || at(i + 1) == u'X')) {
            hex = true;
            i += 2;
        }
    }
    if (i == t.size())
        return defaultValue; // no digits
    quint64 magnitude = 0;
    for (; i < t.size(); ++i) {
        const char16_t c = at(i);
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

} // namespace

int IniDocument::toInteger(QStringView text, int defaultValue)
{
    return parseInteger(text, defaultValue);
}

int IniDocument::toInteger(QByteArrayView stored, int defaultValue)
{
    return parseInteger(stored, defaultValue);
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
            names.append(Cp1251::decode(keyName(keyAt(*s, i)).toByteArray()));
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
    const int k
            = s && foldName(key, name) ? findKey(*s, QByteArrayView(name.data(), name.size())) : -1;
    return k >= 0 && k < s->listed;
}

QStringList IniDocument::sectionNames() const
{
    QStringList names;
    for (const Section &s : m_sections) {
        if (s.listed > 0)
            names.append(Cp1251::decode(sectionName(s).toByteArray()));
    }
    return names;
}

QList<QByteArrayView> IniDocument::sectionNameBytes() const
{
    QList<QByteArrayView> names;
    names.reserve(m_sections.size());
    for (const Section &s : m_sections) {
        if (s.listed > 0)
            names.append(sectionName(s));
    }
    return names;
}

IniDocument::Entries IniDocument::readEntries(const QString &section) const
{
    Entries entries;
    if (const Section *s = findSection(section)) {
        entries.reserve(keyCount(*s));
        for (int i = 0; i < keyCount(*s); ++i) {
            const Key &k = keyAt(*s, i);
            entries.append(Entry{keyName(k), storedValue(k), i < s->listed});
        }
    }
    return entries;
}

QString IniDocument::Entry::value() const
{
    return Cp1251::decode(QByteArray::fromRawData(stored.data(), stored.size()));
}

int IniDocument::appendSection(const QString &name)
{
    const QByteArray encoded = Cp1251::encode(name);
    m_lastSection = -1; // the sections may move
    m_edits.append('[' + encoded + "]\r\n");
    Section s{m_source.size(), m_source.size(), 0, 0,
              nameHash(folded(trimBlanks(QByteArrayView(encoded))))};
    s.header = int(m_edits.size()) - 1;
    m_sections.append(s);
    const int index = int(m_sections.size()) - 1;
    indexSection(index);
    return index;
}

void IniDocument::writeString(const QString &section, const QString &key, const QString &value)
{
    QVarLengthArray<char, 256> encoded;
    encodeForWrite(value, encoded);
    const QByteArrayView text(encoded.data(), encoded.size());
    const QString sectionName = trimBlanks(section);
    const QStringView keyName = trimBlanks(QStringView(key));

    const Section *found = findSection(sectionName);
    Section &s = found ? m_sections[found - m_sections.constData()]
                       : m_sections[appendSection(sectionName)];
    FoldedName foldedKey;
    foldName(keyName, foldedKey);
    const int existing = findKey(s, QByteArrayView(foldedKey.data(), foldedKey.size()));
    if (existing >= 0) {
        // Keep the key's own spelling up to '=' and the line's own line end.
        Key &k = keyAt(s, existing);
        const QByteArrayView old = line(k);
        const qsizetype ending = lineEndLength(old);
        if (old.sliced(k.valueStart, old.size() - ending - k.valueStart) == text)
            return; // the same value: the line stays as it is
        QByteArray replaced;
        replaced.reserve(k.valueStart + text.size() + ending);
        replaced.append(old.first(k.valueStart)).append(text).append(old.last(ending));
        if (k.edited >= 0) {
            m_edits[k.edited] = replaced;
        } else {
            m_edits.append(replaced);
            k.edited = int(m_edits.size()) - 1;
        }
        return;
    }
    const QByteArray encodedKey = Cp1251::encode(keyName.toString());
    QByteArray added;
    added.reserve(encodedKey.size() + text.size() + 3);
    added.append(encodedKey).append('=').append(text).append("\r\n");
    m_edits.append(added);
    noteKey(s, Key{-1, 0, encodedKey.size() + 1, int(m_edits.size()) - 1});
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

void IniDocument::writeDateTime(const QString &section, const QString &key, const QDateTime &value,
                                const QLocale &locale)
{
    writeString(section, key, dateTimeText(value, locale));
}
