#include "cp1251.h"

#include <array>

namespace {

// Bytes 0x80 to 0xFF; the lower half is ASCII.
constexpr std::array<char16_t, 128> kHighHalf = {
        0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
        0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
        0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
        0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
        0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411,
        0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C,
        0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
        0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432,
        0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D,
        0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448,
        0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

} // namespace

namespace Cp1251::Tables {

// The inverse of the decoding table over the whole UTF-16 range; 0 marks a
// character the code page lacks (0 itself is ASCII and never in the table).
const std::array<unsigned char, 0x10000> encode = [] {
    std::array<unsigned char, 0x10000> t{};
    for (int i = 0; i < 0x80; ++i)
        t[i] = static_cast<unsigned char>(i);
    for (int i = 0; i < 0x80; ++i)
        t[kHighHalf[i]] = static_cast<unsigned char>(0x80 + i);
    return t;
}();

const std::array<unsigned char, 256> fold = [] {
    std::array<unsigned char, 256> t{};
    for (int b = 0; b < 256; ++b) {
        const char16_t c = b < 0x80 ? char16_t(b) : kHighHalf[b - 0x80];
        const QChar folded = QChar(c).toCaseFolded();
        const unsigned char byte = encode[folded.unicode()];
        t[b] = byte != 0 ? byte : static_cast<unsigned char>(b);
    }
    return t;
}();

} // namespace Cp1251::Tables

namespace Cp1251 {

QString decode(const QByteArray &bytes)
{
    static const auto table = [] {
        std::array<char16_t, 256> t{};
        for (int i = 0; i < 0x80; ++i)
            t[i] = char16_t(i);
        for (int i = 0; i < 0x80; ++i)
            t[0x80 + i] = kHighHalf[i];
        return t;
    }();
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    const auto *in = reinterpret_cast<const unsigned char *>(bytes.constData());
    for (qsizetype i = 0, n = bytes.size(); i < n; ++i)
        out[i] = table[in[i]];
    return text;
}

bool canEncode(QChar c)
{
    return c.unicode() == 0 || Tables::encode[c.unicode()] != 0;
}

QByteArray encode(const QString &text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    for (const QChar c : text)
        *out++ = encodeOrQuestionMark(c);
    return bytes;
}

} // namespace Cp1251
