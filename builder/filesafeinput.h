#pragma once

#include <QPlainTextEdit>
#include <QValidator>

// What an author types is what the file holds: characters outside
// Windows-1251 become "?" as they are typed or pasted, and no value grows
// beyond what a read of the file returns.

// For the settings' edit boxes.
class FileTextValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;
};

// A memo whose whole text (Limit::WholeText) or each of whose lines
// (Limit::EachLine) holds at most one value's worth of characters.
class FileSafeMemo : public QPlainTextEdit
{
public:
    enum class Limit { WholeText, EachLine };
    FileSafeMemo(Limit limit, QWidget *parent = nullptr);

    // The memo's text, one "\n" between lines.
    QString text() const;
    // The memo's lines as typed: wrapping on screen never splits one.
    QStringList lines() const;

private:
    void onContentsChange(int position, int removed, int added);
    void replaceUnencodable(int from, int to);
    void cutToLimit(int from, int to);

    Limit m_limit;
    bool m_fixing = false;
};
