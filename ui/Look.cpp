#include "ui/Look.h"

namespace Look
{

QColor colour(Colour packed)
{
    return {int(packed & 0xFF), int((packed >> 8) & 0xFF), int((packed >> 16) & 0xFF)};
}

QFont defaultFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setPointSizeF(8.25);
    font.setWeight(QFont::Normal);
    return font;
}

QFont bannerFont()
{
    QFont font;
    // Lato Black (fonts-lato) is the free face with a true weight of 900: a weight of the family
    // "Lato" to fontconfig, a family of its own to Windows' font mapper (under Wine).
    font.setFamilies({QStringLiteral("Arial Black"), QStringLiteral("Lato Black"),
                      QStringLiteral("Lato"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(18);
    font.setWeight(QFont::Black);
    return font;
}

QFont creditFont()
{
    QFont font = defaultFont();
    font.setWeight(QFont::Bold);
    return font;
}

QColor scrollBar()
{
    return {200, 200, 200};
}

QColor activeBorder()
{
    return {180, 180, 180};
}

QColor highlightedText(const QPalette& palette)
{
    return palette.color(QPalette::Active, QPalette::HighlightedText);
}

} // namespace Look
