// The MoodleXml reader against random input (see readercheck.h).
#include "moodlexml.h"
#include "readercheck.h"

namespace {

// Control characters other than tab and line feed have no place in XML;
// the writer puts "?" for them.
bool xmlText(const QString &text, const QStringList &options)
{
    for (const QString &t : QStringList{text} + options) {
        for (const QChar c : t) {
            if (c.unicode() < 0x20 && c != u'\t' && c != u'\n')
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ReaderCheck::check(data, size, MoodleXml::read, MoodleXml::write, xmlText);
    return 0;
}
