// Reads and writes against random file contents. Checks that parsing loses
// nothing, that a written value reads back exactly, and that a write leaves
// every other readable entry as it was.
#include "cp1251.h"
#include "inidocument.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

namespace {

// Names as the programs write them: letters and digits, Cyrillic included.
QString name(FuzzedDataProvider &input)
{
    static const QString alphabet = QStringLiteral("QAqa0123456789TestLabelЯяЖж");
    QString result;
    const size_t length = input.ConsumeIntegralInRange<size_t>(1, 6);
    for (size_t i = 0; i < length; ++i)
        result += alphabet[input.ConsumeIntegralInRange<int>(0, alphabet.size() - 1)];
    return result;
}

void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const QString section = name(input);
    const QString key = name(input);
    const QString otherKey = name(input);
    const QString value
            = Cp1251::decode(QByteArray::fromStdString(input.ConsumeRandomLengthString(64)));
    const QByteArray file = QByteArray::fromStdString(input.ConsumeRemainingBytesAsString());

    IniDocument doc = IniDocument::parse(file);
    require(doc.toBytes() == file);

    // Reads of every kind must simply answer.
    doc.readInteger(section, key, 0);
    doc.readBool(section, otherKey, true);
    for (const QString &s : doc.sectionNames()) {
        require(doc.readSection(s).size() <= doc.readEntries(s).size());
        for (const QString &k : doc.readSection(s))
            require(doc.valueExists(s, k));
    }
    const bool otherExisted = doc.valueExists(section, otherKey);
    const QString otherBefore = doc.readString(section, otherKey, QStringLiteral("<none>"));

    doc.writeString(section, key, value);
    const IniDocument reread = IniDocument::parse(doc.toBytes());
    QString expected = value;
    expected.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
            .replace(u'\r', u' ')
            .replace(u'\n', u' ');
    if (!expected.contains(QChar(0)))
        require(reread.readString(section, key, QStringLiteral("<none>")) == expected);
    if (key.compare(otherKey, Qt::CaseInsensitive) != 0 && otherExisted)
        require(reread.readString(section, otherKey, QStringLiteral("<none>")) == otherBefore);
    return 0;
}
