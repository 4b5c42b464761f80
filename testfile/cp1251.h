#pragma once

#include <QByteArray>
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

namespace Tables {
extern const std::array<unsigned char, 0x10000> encode;
extern const std::array<unsigned char, 256> fold;
} // namespace Tables

// The byte for a character, or 0 when the code page lacks it (U+0000 too).
inline unsigned char encodeChar(QChar c)
{
    return Tables::encode[c.unicode()];
}

// The byte of the character that Unicode case folding makes of the byte's
// character, where the code page holds it (so 0xC0 "А" gives 0xE0 "а"), and
// the byte itself otherwise. Two texts match ignoring case exactly when
// their bytes fold alike.
inline unsigned char foldCase(unsigned char byte)
{
    return Tables::fold[byte];
}

} // namespace Cp1251
