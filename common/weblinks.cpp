#include "weblinks.h"

#include <QDesktopServices>
#include <QUrl>

void WebLinks::open(const QString &url)
{
    QDesktopServices::openUrl(QUrl(url));
}
