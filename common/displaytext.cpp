#include "displaytext.h"

#include "cp1251.h"

namespace {

QString escaped(QChar c)
{
    switch (c.unicode()) {
    case u'<':
        return QStringLiteral("&lt;");
    case u'>':
        return QStringLiteral("&gt;");
    case u'&':
        return QStringLiteral("&amp;");
    case u'"':
        return QStringLiteral("&quot;");
    case u'\n':
        return QStringLiteral("<br>");
    default:
        return QString(c);
    }
}

} // namespace

QString mnemonicTextToHtml(const QString &text)
{
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QString html = QStringLiteral("<span style=\"white-space:pre-wrap\">");
    for (qsizetype i = 0; i < plain.size(); ++i) {
        if (plain[i] != u'&') {
            html += escaped(plain[i]);
        } else if (i + 1 < plain.size() && plain[i + 1] == u'&') {
            html += QStringLiteral("&amp;");
            ++i;
        } else if (i + 1 < plain.size() && plain[i + 1] != u'\n') {
            html += QStringLiteral("<u>") + escaped(plain[i + 1]) + QStringLiteral("</u>");
            ++i;
        }
    }
    return html + QStringLiteral("</span>");
}

QString mnemonicTextToPlain(const QString &text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (++i < text.size())
                plain += text[i];
        } else {
            plain += text[i];
        }
    }
    return plain;
}

QString errorBoxText(const QString &message)
{
    if (message.isEmpty())
        return message;
    const auto last = static_cast<unsigned char>(Cp1251::encode(message.right(1)).at(0));
    return last > '.' ? message + u'.' : message;
}

QString literalTitle(const QString &text)
{
    // "[*][*]" is how a title shows "[*]".
    QString title = text;
    return title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}
