#pragma once

// What every reader of another program's format must hold for any input:
// no crash or hang, a result no larger than the input, only texts a test
// can hold, a correct option in every question, and what it read written
// out and read again unchanged.
#include "cp1251.h"
#include "inidocument.h"
#include "interchangecases.h"
#include "testlayout.h"

#include <QByteArray>

#include <cstdlib>

namespace ReaderCheck {

inline void require(bool condition)
{
    if (!condition)
        std::abort();
}

inline void requireStorable(const QString &text)
{
    require(text.size() <= IniDocument::MaxValueLength);
    for (const QChar c : text)
        require(c.unicode() != 0 && Cp1251::canEncode(c));
}

// canHold: whether the format can write a question back as it was read.
template<typename Read>
void check(const uint8_t *data, size_t size, Read (*readFormat)(const QByteArray &),
           QByteArray (*writeFormat)(const EditorTest &, Report &),
           bool (*canHold)(const QString &text, const QStringList &options))
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const Read read = readFormat(bytes);
    const EditorDocument &doc = read.test.document;
    require(qsizetype(doc.questionCount()) <= bytes.size());
    require(read.questionLines.size() == doc.questionCount());
    EditorTest holdable;
    for (int n = 0; n < doc.questionCount(); ++n) {
        requireStorable(doc.questionText(n));
        const QStringList options = doc.answers(n);
        require(!options.isEmpty());
        bool anyCorrect = false;
        for (const QString &option : options) {
            requireStorable(option);
            require(!option.isEmpty() && option != QString(TestLayout::CorrectMark));
            anyCorrect = anyCorrect || TestLayout::isCorrect(option);
        }
        require(anyCorrect);
        if (canHold(doc.questionText(n), options) && !doc.questionText(n).trimmed().isEmpty())
            holdable.document.addQuestion(doc.questionText(n), options);
    }
    Report report;
    const Read again = readFormat(writeFormat(holdable, report));
    require(questions(again.test) == questions(holdable));
}

inline bool anyQuestion(const QString &, const QStringList &)
{
    return true;
}

} // namespace ReaderCheck
