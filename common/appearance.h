#pragma once

#include <QFont>

// The interface font at a character height in pixels. Trebuchet MS where
// installed; otherwise a sans serif of similar width, so captions fit their
// buttons.
QFont interfaceFont(int pixelSize);
