#include "wrappedtext.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextOption>

WrappedText::WrappedText()
{
    QTextOption option = m_document.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_document.setDefaultTextOption(option);
    m_document.setDocumentMargin(0);
}

void WrappedText::setHtml(const QString &html)
{
    m_document.setHtml(html);
}

void WrappedText::setFont(const QFont &font)
{
    m_document.setDefaultFont(font);
}

int WrappedText::heightForWidth(int width) const
{
    m_document.setTextWidth(qMax(1, width));
    return qCeil(m_document.size().height());
}

void WrappedText::paint(QPainter *painter, const QRect &rect, const QColor &colour) const
{
    m_document.setTextWidth(qMax(1, rect.width()));
    painter->save();
    painter->translate(rect.topLeft());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, colour);
    context.clip = QRectF(0, 0, rect.width(), rect.height());
    painter->setClipRect(context.clip);
    m_document.documentLayout()->draw(painter, context);
    painter->restore();
}

int WrappingLabel::heightForWidth(int width) const
{
    const QMargins margins = contentsMargins();
    const_cast<WrappingLabel *>(this)->syncText();
    return m_text.heightForWidth(width - margins.left() - margins.right()) + margins.top()
            + margins.bottom();
}

void WrappingLabel::paintEvent(QPaintEvent *)
{
    syncText();
    QPainter painter(this);
    m_text.paint(&painter, contentsRect(), palette().color(foregroundRole()));
}

void WrappingLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        m_shown.clear(); // lay out anew in the new font
    QLabel::changeEvent(event);
}

void WrappingLabel::syncText()
{
    if (m_shown == text() && !m_shown.isNull())
        return;
    m_shown = text();
    m_text.setFont(font());
    m_text.setHtml(m_shown);
}
