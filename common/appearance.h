#pragma once

#include <QFont>

class QWidget;

// The interface font at a character height in pixels. Trebuchet MS where
// installed; otherwise a sans serif of similar width, so captions fit their
// buttons.
QFont interfaceFont(int pixelSize);

// Plain texts of the windows are dark grey rather than black. Set through
// the palette: a style sheet would put the whole window under the style
// sheet engine, which costs a good part of the start.
void useTextColour(QWidget *widget);
