#include "ui/fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

QFont gameFont(int pixelSize, bool bold)
{
    // The first of the families that is installed, found once: every font the board asks for
    // would otherwise look for each missing family again.
    static const QStringList families = [] {
        const QStringList wanted{QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                                 QStringLiteral("Arimo"), QStringLiteral("Nimbus Sans"),
                                 QStringLiteral("DejaVu Sans")};
        for (const QString &family : wanted) {
            if (QFontDatabase::hasFamily(family)) {
                return QStringList{family};
            }
        }
        return QStringList{QStringLiteral("sans-serif")};
    }();
    QFont font;
    font.setFamilies(families);
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
