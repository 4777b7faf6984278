#include "ui/fonts.h"

#include <QFontMetrics>
#include <QStringList>

QFont gameFont(int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arimo"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("sans-serif")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QFont fittedFont(QFont font, const QString &text, int width)
{
    constexpr int kNarrowest = 80;
    for (int stretch = 100; stretch >= kNarrowest; --stretch) {
        font.setStretch(stretch);
        if (QFontMetrics(font).horizontalAdvance(text) <= width) {
            break;
        }
    }
    return font;
}
