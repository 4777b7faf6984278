#pragma once

#include <QFont>
#include <QString>

// The game's text font: the classic 8.25 pt (11 px at 96 dpi) or 12 pt (16 px) sans-serif
// of the board, with the nearest metric-compatible sans-serif standing in where it is missing.
QFont gameFont(int pixelSize = 11, bool bold = false);

// `font`, narrowed just enough for `text` to fit `width` pixels, so a wider stand-in font
// never clips a caption in its box.
QFont fittedFont(QFont font, const QString &text, int width);
