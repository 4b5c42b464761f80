#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>

// Windows-1251 text, the encoding of test files.
//
// Decoding is a bijection on bytes: every byte maps to exactly one UTF-16
// unit (the byte 0x98, undefined in the code page, maps to U+0098), so any
// file decodes and re-encodes to itself and one character is one byte.
namespace Cp1251 {

QString decode(const QByteArray &bytes);

// Characters the code page cannot hold become '?'.
QByteArray encode(const QString &text);

// True when encode() would keep every character of text.
bool canEncode(QChar c);

// The tables behind the helpers below, inline for speed; use the helpers.
namespace Tables {
extern const std::array<unsigned char, 0x10000> encode;
extern const std::array<unsigned char, 256> fold;
} // namespace Tables

// The byte for a character, or 0 when the code page lacks it (U+0000 too).
inline unsigned char encodeChar(QChar c)
{
    return Tables::encode[c.unicode()];
}

// The byte for a character, "?" for one the code page lacks.
inline char encodeOrQuestionMark(QChar c)
{
    const unsigned char b = encodeChar(c);
    return static_cast<char>(b != 0 || c.unicode() == 0 ? b : '?');
}

// The byte of the character that Unicode case folding makes of the byte's
// character, where the code page holds it (so 0xC0 "А" gives 0xE0 "а"), and
// the byte itself otherwise. Two texts match ignoring case exactly when
// their bytes fold alike.
inline unsigned char foldCase(unsigned char byte)
{
    return Tables::fold[byte];
}

// Writes the bytes folded into out, which it resizes (any container of char).
template<typename Out>
void foldInto(QByteArrayView bytes, Out &out)
{
    out.resize(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = static_cast<char>(foldCase(static_cast<unsigned char>(bytes[i])));
}

// True when the two byte strings match ignoring letter case.
inline bool equalIgnoringCase(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (foldCase(static_cast<unsigned char>(a[i]))
            != foldCase(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

} // namespace Cp1251
