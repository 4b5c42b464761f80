#pragma once

#include <QtGlobal>

// Time bounds hold for the shipped build; a sanitizer build runs several
// times slower, so its bounds are stretched rather than dropped.
#ifdef QUIVARA_SANITIZE
constexpr qint64 TimeScale = 10;
#else
constexpr qint64 TimeScale = 1;
#endif
