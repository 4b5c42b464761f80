#include "text.h"

#include "cp1251.h"
#include "inidocument.h"

#include <QStringDecoder>

namespace InterchangeText {

QString decodeInput(const QByteArray &bytes)
{
    QByteArrayView body = bytes;
    if (body.startsWith("\xEF\xBB\xBF"))
        body = body.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(body);
    if (!utf8.hasError())
        return text;
    return Cp1251::decode(bytes);
}

QString storable(const QString &text, int line, Report &report)
{
    QString stored = text;
    int replaced = 0;
    for (QChar &c : stored) {
        // A NUL would end the value where it stands.
        if (c.unicode() == 0 || !Cp1251::canEncode(c)) {
            c = u'?';
            ++replaced;
        }
    }
    if (replaced > 0) {
        report.append({line,
                       QStringLiteral("символов, которых не может быть в тесте, заменено "
                                      "на \"?\": %1")
                               .arg(replaced)});
    }
    if (stored.size() > IniDocument::MaxValueLength) {
        stored.truncate(IniDocument::MaxValueLength);
        report.append({line,
                       QStringLiteral("текст длиннее %1 символов обрезан")
                               .arg(IniDocument::MaxValueLength)});
    }
    return stored;
}

} // namespace InterchangeText
