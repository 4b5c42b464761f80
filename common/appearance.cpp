#include "appearance.h"

#include <QStringList>

QFont interfaceFont(int pixelSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("Trebuchet MS"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixelSize);
    return font;
}
