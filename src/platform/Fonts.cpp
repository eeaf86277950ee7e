#include "platform/Fonts.h"

#include <QStringList>

namespace {

QStringList songFamilies()
{
    // A Song (Ming) face first, as the name asks; a sans CJK face after it.
    return {QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("AR PL UMing CN"),
            QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Serif CJK SC")};
}

QStringList sansFamilies()
{
    return {QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
            QStringLiteral("DejaVu Sans"), QStringLiteral("WenQuanYi Zen Hei")};
}

QFont withFamilies(const QStringList &families, int pixelSize)
{
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelSize > 0 ? pixelSize : 1);
    return font;
}

} // namespace

QFont songFace(int pixelSize)
{
    return withFamilies(songFamilies(), pixelSize);
}

QFont sansFace(int pixelSize)
{
    return withFamilies(sansFamilies(), pixelSize);
}

void installFontSubstitutes()
{
    QFont::insertSubstitutions(QStringLiteral("宋体"), songFamilies().mid(1));
    QFont::insertSubstitutions(QStringLiteral("黑体"),
                               {QStringLiteral("SimHei"), QStringLiteral("WenQuanYi Zen Hei")});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sansFamilies().mid(1));
}
