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

    struct Key
    {
        int line;       // index into Section::lines of the key's first line
        int valueStart; // byte index after the first '=' in that line
    };
    struct Section
    {
        QByteArrayList lines;      // raw lines with their line ends; lines[0] is the header
        QList<Key> keys;           // distinct keys, first occurrences, in file order
        QHash<QByteArray, int> index; // folded name -> index into keys, for large sections only
        int lastKeyLine = 0;       // the last key line, repeats included; 0 (the header) if none
        int listed = 0;            // how many of keys readSection() lists
        int listedBytes = 0;
    };

    const Section *findSection(const QString &section) const;
    static int findKey(const Section &s, QByteArrayView folded);
    static QByteArrayView keyName(const Section &s, const Key &k);
    static QString value(const Section &s, const Key &k);
    static void noteKey(Section &s, int line, int valueStart);
    int appendSection(const QString &name);
    static void endLine(QByteArray &line);

    QByteArray m_source;       // the parsed bytes, which unedited lines share
    QByteArrayList m_preamble; // lines before the first section header
    QList<Section> m_sections;
    QHash<QByteArray, int> m_sectionIndex; // folded name -> first section of that name
    mutable int m_lastSection = -1;           // the section found last, by the name asked for
    mutable QString m_lastSectionName;
};
