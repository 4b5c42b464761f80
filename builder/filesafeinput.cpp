#include "filesafeinput.h"

#include "cp1251.h"
#include "inidocument.h"

#include <QTextBlock>
#include <QTextCursor>

namespace {

bool storable(QChar c)
{
    // Line breaks inside a memo are stored by the file layer.
    return c == QChar::LineSeparator || c == QChar::ParagraphSeparator || Cp1251::canEncode(c);
}

} // namespace

QValidator::State FileTextValidator::validate(QString &input, int &pos) const
{
    Q_UNUSED(pos);
    fixup(input);
    return Acceptable;
}

void FileTextValidator::fixup(QString &input) const
{
    for (QChar &c : input) {
        if (!Cp1251::canEncode(c))
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
    return toPlainText();
}

QStringList FileSafeMemo::lines() const
{
    return toPlainText().split(u'\n');
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
