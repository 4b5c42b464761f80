#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QRect>
#include <QString>
#include <QTextDocument>

class QPainter;

// Rich text laid out to a width: lines break between words, and inside a
// word that alone is wider than the line, so no text is ever cut off at the
// right edge.
class WrappedText
{
public:
    WrappedText();
    WrappedText(const WrappedText &) = delete;
    WrappedText &operator=(const WrappedText &) = delete;

    void setHtml(const QString &html);
    void setFont(const QFont &font);
    int heightForWidth(int width) const;
    // Draws the text in rect, top-aligned, in colour.
    void paint(QPainter *painter, const QRect &rect, const QColor &colour) const;

private:
    mutable QTextDocument m_document;
};

// A label whose rich text wraps as WrappedText does, inside long words too.
class WrappingLabel : public QLabel
{
public:
    using QLabel::QLabel;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void syncText();

    mutable WrappedText m_text;
    mutable QString m_shown; // the text m_text holds
};
