#include "appearance.h"

#include <QPalette>
#include <QStringList>
#include <QWidget>

QFont interfaceFont(int pixelSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("Trebuchet MS"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixelSize);
    return font;
}

void useTextColour(QWidget *widget, bool warning)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText,
                     warning ? QColor::fromRgb(WarningColour) : QColor(0x41, 0x41, 0x41));
    widget->setPalette(palette);
}
