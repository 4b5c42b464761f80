#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QVarLengthArray>

// The text of one profile file, parsed once and queried or edited in memory.
//
// Reading follows the private-profile rules: section and key names match
// ignoring letter case, values are trimmed and lose one pair of enclosing
// quotes. Editing changes only the lines it must: every other line keeps its
// bytes, so toBytes() of an unedited document is the file it was parsed from.
class IniDocument
{
public:
    // The longest value readString() returns, as a read buffer of 2048
    // bytes holds.
    static constexpr int MaxValueLength = 2047;
    // readSection() lists names (each with a terminating zero) up to this
    // many bytes, as the platform's buffer does.
    static constexpr int MaxSectionListing = 16384;

    IniDocument() = default;
    static IniDocument parse(const QByteArray &bytes);
    QByteArray toBytes() const;

    // The value, or defaultValue when the section or key is missing.
    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue) const;
    // A decimal or hexadecimal ("$1F", "0x1F", "x1F") 32-bit integer;
    // defaultValue when the value is missing or is not such a number.
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    // Any non-zero integer is true; a value that is not a number gives defaultValue.
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;
    // Key names in file order, as far as MaxSectionListing bytes hold them.
    QStringList readSection(const QString &section) const;
    // True when readSection() lists at least one key: a bare header counts as absent.
    bool sectionExists(const QString &section) const;
    // True when readSection() lists key.
    bool valueExists(const QString &section, const QString &key) const;

    // The name of every section that sectionExists(), first spellings only,
    // in file order.
    QStringList sectionNames() const;
    // The same names as stored, in Windows-1251, for callers that only
    // match them; valid while the document lives unedited.
    QList<QByteArrayView> sectionNameBytes() const;

    // One key as stored, in Windows-1251: its bytes stay valid while the
    // document lives unedited, and are decoded only where asked for.
    struct Entry
    {
        QByteArrayView name;
        QByteArrayView stored; // the value's bytes, as readString() reads them
        bool listed = false;   // whether readSection() lists the name
        QString value() const; // as readString() returns it
    };
    using Entries = QVarLengthArray<Entry, 16>;
    // Every key of the section once, in file order, with its value: one
    // pass for callers that want most of a section.
    Entries readEntries(const QString &section) const;

    // Replaces the value in place, or adds the key after the section's last
    // key, or adds the section at the end. Line breaks in value become blanks,
    // since a value is one line.
    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);
    void writeBool(const QString &section, const QString &key, bool value);
    // The locale's short date, a blank and its long time without a time
    // zone; the time is left out at midnight.
    void writeDateTime(const QString &section, const QString &key, const QDateTime &value,
                       const QLocale &locale = QLocale::system());

    static int toInteger(QStringView text, int defaultValue);
    static int toInteger(QByteArrayView stored, int defaultValue);
    static QString dateTimeText(const QDateTime &value, const QLocale &locale);

private:
    // Names are compared as case-folded Windows-1251 bytes, so lookups need
    // no decoding and no allocation.
    using FoldedName = QVarLengthArray<char, 64>;
    static bool foldName(QStringView name, FoldedName &out);

    // One key line. A line of the source is its bytes at [begin, begin +
    // length); a line written since the parse lives in m_edits instead.
    struct Key
    {
        qsizetype begin = -1; // offset in m_source, or -1 for a line added since the parse
        qsizetype length = 0; // of the source line, its line end included
        qsizetype valueStart; // offset in the line after its first '='
        int edited = -1;      // index into m_edits of the line that replaces it
        quint32 hash = 0;     // of the folded name
    };
    // The first section of a name. Its bytes run from begin to the next
    // section's begin; repeated sections of a name seen before, which are
    // never read or written, stay inside that run untouched.
    struct Section
    {
        qsizetype begin;     // offset in m_source of the header line
        qsizetype insertAt;  // where added keys go: after the last key line, or the header
        qsizetype nameBegin; // the name in the header line, as an offset in m_source
        qsizetype nameLength;
        quint32 hash;    // of the folded name
        int header = -1; // for a section added since the parse: its header line in m_edits
        // Its distinct keys, first occurrences, in file order: those of the
        // source at m_keys[firstKey...], then those added since the parse.
        int firstKey = 0;
        int sourceKeys = 0;
        QList<Key> added;
        QHash<QByteArray, int> index; // folded name -> key number, for large sections only
        int listed = 0;               // how many of its keys readSection() lists
        qsizetype listedBytes = 0;
    };

    static int keyCount(const Section &s) { return s.sourceKeys + int(s.added.size()); }
    const Key &keyAt(const Section &s, int i) const
    {
        return i < s.sourceKeys ? m_keys[s.firstKey + i] : s.added[i - s.sourceKeys];
    }
    Key &keyAt(Section &s, int i)
    {
        return i < s.sourceKeys ? m_keys[s.firstKey + i] : s.added[i - s.sourceKeys];
    }
    const Section *findSection(const QString &section) const;
    QByteArrayView line(const Key &k) const;
    QByteArrayView sectionName(const Section &s) const;
    int findSection(QByteArrayView folded, quint32 hash) const;
    void indexSection(int section);
    int findKey(const Section &s, QByteArrayView folded) const;
    QByteArrayView keyName(const Key &k) const;
    QString value(const Key &k) const;
    QByteArrayView storedValue(const Key &k) const;
    // The steps of parse(): a header line opens a section (null when one
    // of that name came before); a line inside a section may be a key.
    Section *openSection(qsizetype pos, qsizetype length);
    void noteLine(Section &s, qsizetype pos, qsizetype length);
    void noteKey(Section &s, Key k);
    int appendSection(const QString &name);

    QByteArray m_source;    // the parsed bytes, which unedited lines are views into
    QByteArrayList m_edits; // lines written since the parse: replaced values, new keys, new headers
    QList<Section> m_sections; // in file order; sections added since the parse last
    QList<Key> m_keys;         // the source's keys, section by section
    // Open addressing by name hash: each slot holds a section's index + 1,
    // or 0 when empty; a quarter to a half of the slots are in use.
    QList<int> m_sectionSlots;
    mutable int m_lastSection = -1; // the section found last, by the name asked for
    mutable QString m_lastSectionName;
};
