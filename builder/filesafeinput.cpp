#include "filesafeinput.h"

#include "cp1251.h"
#include "inidocument.h"

#include <QTextBlock>
#include <QTextCursor>

namespace {

// A NUL would end the value in the file, so it is no more storable than a
// character the code page lacks.
bool encodable(QChar c)
{
    return c.unicode() != 0 && Cp1251::canEncode(c);
}

bool storable(QChar c)
{
    // Line breaks inside a memo are stored by the file layer.
    return c == QChar::LineSeparator || c == QChar::ParagraphSeparator || encodable(c);
}

bool isLineBreak(QChar c)
{
    return c == u'\r' || c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

} // namespace

QValidator::State FileTextValidator::validate(QString &input, int &pos) const
{
    // A line break pasted into one line becomes a blank; CR LF is one break.
    for (qsizetype i = input.indexOf(QStringLiteral("\r\n")); i >= 0;
         i = input.indexOf(QStringLiteral("\r\n"), i)) {
        input.remove(i, 1);
        if (pos > i)
            --pos;
    }
    fixup(input);
    return Acceptable;
}

void FileTextValidator::fixup(QString &input) const
{
    for (QChar &c : input) {
        if (isLineBreak(c))
            c = u' ';
        else if (!encodable(c))
            c = u'?';
    }
}

FileSafeMemo::FileSafeMemo(Limit limit, QWidget *parent)
    : QPlainTextEdit(parent)
    , m_limit(limit)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChange, this, &FileSafeMemo::onContentsChange);
}

QString FileSafeMemo::text() const
{
    // The raw text, not toPlainText(), which turns a no-break space into a
    // plain one: what was loaded and not edited is saved as it was.
    QString text = document()->toRawText();
    for (QChar &c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u'\n';
    }
    return text;
}

QStringList FileSafeMemo::lines() const
{
    return text().split(u'\n');
}

void FileSafeMemo::onContentsChange(int position, int removed, int added)
{
    Q_UNUSED(removed);
    if (m_fixing || added <= 0)
        return;
    m_fixing = true;
    replaceUnencodable(position, position + added);
    cutToLimit(position, position + added);
    m_fixing = false;
}

void FileSafeMemo::replaceUnencodable(int from, int to)
{
    QTextDocument *doc = document();
    to = qMin(to, doc->characterCount() - 1);
    QTextCursor cursor(doc);
    for (int i = from; i < to; ++i) {
        if (storable(doc->characterAt(i)))
            continue;
        cursor.setPosition(i);
        cursor.setPosition(i + 1, QTextCursor::KeepAnchor);
        // A character outside the BMP is two units; it becomes one "?".
        if (doc->characterAt(i).isHighSurrogate() && doc->characterAt(i + 1).isLowSurrogate()) {
            cursor.setPosition(i + 2, QTextCursor::KeepAnchor);
            --to;
        }
        cursor.insertText(QStringLiteral("?"));
    }
}

void FileSafeMemo::cutToLimit(int from, int to)
{
    QTextDocument *doc = document();
    const int limit = IniDocument::MaxValueLength;
    auto cut = [&](int blockStart, int length, int insertedEnd) {
        // Take the excess off what was just inserted, as far as it goes.
        const int excess = length - limit;
        if (excess <= 0)
            return;
        const int end = qBound(blockStart + limit, insertedEnd, blockStart + length);
        QTextCursor cursor(doc);
        cursor.setPosition(end - excess);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    };
    if (m_limit == Limit::WholeText) {
        cut(0, doc->characterCount() - 1, to);
        return;
    }
    for (QTextBlock block = doc->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        const int length = block.length() - 1;
        if (length > limit) {
            cut(block.position(), length, to);
            block = doc->findBlock(block.position());
        }
    }
}
