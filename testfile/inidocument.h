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

    struct Entry
    {
        QString name;
        QString value;       // as readString() returns it
        bool listed = false; // whether readSection() lists the name
    };
    // Every key of the section once, in file order, with its value: one
    // pass for callers that want most of a section.
    QList<Entry> readEntries(const QString &section) const;

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

    static int toInteger(const QString &text, int defaultValue);
    static QString dateTimeText(const QDateTime &value, const QLocale &locale);

private:
    // Names are compared as case-folded Windows-1251 bytes, so lookups need
    // no decoding and no allocation.
    using FoldedName = QVarLengthArray<char, 64>;
    static bool foldName(const QString &name, FoldedName &out);

    // One key line. A line of the source is its bytes at [begin, begin +
    // length); a line written since the parse lives in m_edits instead.
    struct Key
    {
        qsizetype begin = -1;  // offset in m_source, or -1 for a line added since the parse
        qsizetype length = 0;  // of the source line, its line end included
        qsizetype valueStart;  // offset in the line after its first '='
        int edited = -1;       // index into m_edits of the line that replaces it
    };
    // The first section of a name. Its bytes run from begin to the next
    // section's begin; repeated sections of a name seen before, which are
    // never read or written, stay inside that run untouched.
    struct Section
    {
        qsizetype begin;     // offset in m_source of the header line
        qsizetype insertAt;  // where added keys go: after the last key line, or the header
        int header = -1;     // for a section added since the parse: its header line in m_edits
        QList<Key> keys;     // distinct keys, first occurrences, in file order; added ones last
        QHash<QByteArray, int> index; // folded name -> index into keys, for large sections only
        int listed = 0;      // how many of keys readSection() lists
        qsizetype listedBytes = 0;
    };

    const Section *findSection(const QString &section) const;
    QByteArrayView line(const Key &k) const;
    QByteArrayView headerLine(const Section &s) const;
    int findKey(const Section &s, QByteArrayView folded) const;
    QByteArrayView keyName(const Key &k) const;
    QString value(const Key &k) const;
    void noteKey(Section &s, const Key &k);
    int appendSection(const QString &name);

    QByteArray m_source;       // the parsed bytes, which unedited lines are views into
    QByteArrayList m_edits;    // lines written since the parse: replaced values, new keys, new headers
    QList<Section> m_sections; // in file order; sections added since the parse last
    QHash<QByteArray, int> m_sectionIndex; // folded name -> its section
    mutable int m_lastSection = -1;           // the section found last, by the name asked for
    mutable QString m_lastSectionName;
};
