#pragma once

#include <QString>

// Text from a test file shown in a label or a message box. It is never
// markup: the only processing is the "&" rule, where a single "&" is not
// shown and underlines the character after it, and "&&" shows one "&".
// Returns rich text that shows exactly that, with line breaks and runs of
// blanks kept.
QString mnemonicTextToHtml(const QString &text);

// The text without its "&" marks, as a screen reader should hear it.
QString mnemonicTextToPlain(const QString &text);

// The text of the default error box: the message with a full stop added,
// unless its last character already sorts at or below "." in the code page
// (so "!", ")" or a trailing blank get none).
QString errorBoxText(const QString &message);

// A window title showing text as it is: Qt would take "[*]" in it for the
// placeholder of a modified document.
QString literalTitle(const QString &text);
