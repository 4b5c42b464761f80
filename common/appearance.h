#pragma once

#include <QColor>
#include <QFont>

class QWidget;

// The interface font at a character height in pixels. Trebuchet MS where
// installed; otherwise a sans serif of similar width, so captions fit their
// buttons.
QFont interfaceFont(int pixelSize);

// Plain texts of the windows are dark grey rather than black; a warning is
// dark red. Set through the palette: a style sheet would put the whole
// window under the style sheet engine, which costs a good part of the start.
inline constexpr QRgb WarningColour = 0xffc00000;
void useTextColour(QWidget *widget, bool warning = false);
