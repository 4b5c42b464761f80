#include "testpaper.h"

#include "displaytext.h"

#include <QAbstractTextDocumentLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <cmath>

// The resolution that lengths in a document's formats are given in: its
// layout scales them from this to its paint device's.
Q_GUI_EXPORT int qt_defaultDpiY();

namespace TestPaper {

QString optionLabel(int index)
{
    // The Russian alphabet without the letters that are easily confused or
    // never begin a word.
    static const QString letters = QStringLiteral("абвгдежзиклмнопрстуфхцчшщэюя");
    return index < letters.size() ? QString(letters[index]) : QString::number(index + 1);
}

namespace {

// What the student reads of an option: without its correct mark and the
// blanks after it, and with the "&" rule applied as the runner shows it.
QString shownOption(const QString &option)
{
    QString text = TestLayout::isCorrect(option) ? option.mid(1) : option;
    while (text.endsWith(u' '))
        text.chop(1);
    return mnemonicTextToPlain(text);
}

class Layout
{
public:
    explicit Layout(QPagedPaintDevice *device)
        : m_device(device)
    {
        m_doc.documentLayout()->setPaintDevice(device);
        m_doc.setPageSize(QSizeF(device->width(), device->height()));
        m_doc.setDocumentMargin(0); // the page's own margins are enough
        QFont font;
        font.setFamilies({QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")});
        font.setPointSizeF(12);
        m_doc.setDefaultFont(font);
    }

    QTextDocument &document() { return m_doc; }

    // A paragraph; points are converted to the device's pixels.
    void paragraph(const QString &text, qreal pointSize, bool bold, Qt::Alignment align,
                   qreal spaceBefore, qreal indent = 0)
    {
        QTextBlockFormat block;
        block.setAlignment(align);
        block.setTopMargin(pixels(spaceBefore));
        block.setLeftMargin(pixels(indent));
        QTextCharFormat chars;
        chars.setFontPointSize(pointSize);
        chars.setFontWeight(bold ? QFont::Bold : QFont::Normal);
        if (m_empty) {
            m_cursor.setBlockFormat(block);
            m_cursor.setBlockCharFormat(chars);
            m_empty = false;
        } else {
            m_cursor.insertBlock(block, chars);
        }
        // Lines of a question stay one paragraph, each on its own line.
        QString lines = text;
        lines.replace(u'\n', QChar::LineSeparator);
        m_cursor.insertText(lines, chars);
    }

    // A bold lead ("12.") and plain text after it in the paragraph just begun.
    void leadParagraph(const QString &lead, const QString &text, qreal spaceBefore)
    {
        paragraph(lead, 12, true, Qt::AlignLeft, spaceBefore);
        QTextCharFormat plain;
        plain.setFontWeight(QFont::Normal);
        QString lines = text;
        lines.replace(u'\n', QChar::LineSeparator);
        m_cursor.insertText(QStringLiteral(" ") + lines, plain);
    }

    int lastBlock() const { return m_doc.blockCount() - 1; }

    void pageBreakBefore(int blockNumber)
    {
        QTextCursor at(m_doc.findBlockByNumber(blockNumber));
        QTextBlockFormat format = at.blockFormat();
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        at.setBlockFormat(format);
    }

    // Moves each run of blocks that a page break cuts, and that would fit on
    // a page of its own, to the top of the next page. Runs are taken in
    // order, as moving one only moves those after it.
    void keepTogether(const QList<std::pair<int, int>> &runs)
    {
        const qreal page = m_doc.pageSize().height();
        QAbstractTextDocumentLayout *layout = m_doc.documentLayout();
        for (const auto &[first, last] : runs) {
            const QRectF top = layout->blockBoundingRect(m_doc.findBlockByNumber(first));
            const QRectF bottom = layout->blockBoundingRect(m_doc.findBlockByNumber(last));
            const qreal height = bottom.bottom() - top.top();
            if (height > page)
                continue;
            if (std::floor(top.top() / page) != std::floor((bottom.bottom() - 1) / page))
                pageBreakBefore(first);
        }
    }

    // Paints pages fromPage to toPage (from 1; 0 for the first or the last),
    // each below the one before.
    bool paint(int fromPage, int toPage)
    {
        QPainter painter(m_device);
        if (!painter.isActive())
            return false;
        const QSizeF page = m_doc.pageSize();
        const int first = std::max(fromPage, 1);
        const int last = toPage > 0 ? std::min(toPage, m_doc.pageCount()) : m_doc.pageCount();
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette.setColor(QPalette::Text, Qt::black);
        for (int n = first; n <= last; ++n) {
            if (n > first && !m_device->newPage())
                return false;
            const QRectF shown(QPointF(0, (n - 1) * page.height()), page);
            painter.save();
            painter.translate(0, -shown.top());
            painter.setClipRect(shown);
            // A line that begins the next page touches this one's bottom edge
            // and would be drawn here too.
            context.clip = shown.adjusted(0, 0, 0, -1);
            m_doc.documentLayout()->draw(&painter, context);
            painter.restore();
        }
        return painter.end();
    }

private:
    // A length in points as the formats take it.
    static qreal pixels(qreal points) { return points * qt_defaultDpiY() / 72.0; }

    QPagedPaintDevice *m_device;
    QTextDocument m_doc;
    QTextCursor m_cursor{&m_doc};
    bool m_empty = true;
};

} // namespace

bool print(const EditorTest &test, bool withKey, QPagedPaintDevice *device, int fromPage,
           int toPage)
{
    Layout paper(device);
    const QString title = mnemonicTextToPlain(test.settings.testName);
    const QString author = mnemonicTextToPlain(test.settings.author);
    paper.paragraph(title.isEmpty() ? QStringLiteral("Тест") : title, 16, true, Qt::AlignHCenter,
                    0);
    if (!author.isEmpty())
        paper.paragraph(QStringLiteral("Составитель: ") + author, 12, false, Qt::AlignHCenter, 4);
    paper.paragraph(QStringLiteral("Фамилия, имя: ") + QString(40, u'_'), 12, false, Qt::AlignLeft,
                    18);

    const EditorDocument &questions = test.document;
    QList<std::pair<int, int>> runs;
    for (int q = 0; q < questions.questionCount(); ++q) {
        paper.leadParagraph(QStringLiteral("%1.").arg(q + 1), questions.questionText(q), 14);
        const int first = paper.lastBlock();
        const QStringList options = questions.answers(q);
        for (int i = 0; i < options.size(); ++i) {
            paper.paragraph(QStringLiteral("%1 %2) %3")
                                    .arg(OptionBox, optionLabel(i), shownOption(options[i])),
                            12, false, Qt::AlignLeft, 3, 18);
        }
        runs.append({first, paper.lastBlock()});
    }

    if (withKey) {
        paper.paragraph(QStringLiteral("Ключ ответов"), 16, true, Qt::AlignHCenter, 0);
        paper.pageBreakBefore(paper.lastBlock());
        if (!title.isEmpty())
            paper.paragraph(title, 12, false, Qt::AlignHCenter, 4);
        for (int q = 0; q < questions.questionCount(); ++q) {
            QStringList correct;
            const QStringList options = questions.answers(q);
            for (int i = 0; i < options.size(); ++i) {
                if (TestLayout::isCorrect(options[i]))
                    correct.append(optionLabel(i));
            }
            paper.leadParagraph(QStringLiteral("%1.").arg(q + 1),
                                correct.isEmpty() ? QStringLiteral("—") : correct.join(u", "),
                                q == 0 ? 14 : 3);
        }
    }

    paper.keepTogether(runs);
    return paper.paint(fromPage, toPage);
}

bool writePdf(const EditorTest &test, bool withKey, QIODevice *out, const QString &creator)
{
    QPdfWriter writer(out);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(Margins, QPageLayout::Millimeter);
    writer.setTitle(test.settings.testName);
    writer.setCreator(creator);
    return print(test, withKey, &writer);
}

} // namespace TestPaper
