#include "curves/FontClasses.h"

#include "platform/Fonts.h"

#include <array>
#include <cmath>

namespace FontClasses {

namespace {

constexpr std::array<FontClass, Count> table = {{
    {12, 8, 16},
    {19, 14, 24},
    {24, 17, 32},
    {36, 24, 48},
    {48, 32, 64},
    {72, 48, 96},
    {98, 64, 128},
    {146, 96, 192},
    {196, 128, 256},
    {246, 160, 320},
}};

const QString &kaiFace()
{
    static const QString face = QStringLiteral("楷体");
    return face;
}

// The whole family list is given, so no name substitution is needed.
QFont makeFont(const QStringList &families, int pixels)
{
    QFont f;
    f.setFamilies(families);
    f.setPixelSize(pixels > 0 ? pixels : 1);
    f.setStyleHint(QFont::TypeWriter);
    return f;
}

} // namespace

FontClass at(int index)
{
    return table[static_cast<std::size_t>(qBound(0, index, Count - 1))];
}

int pixelSize(int points)
{
    return static_cast<int>(std::lround(points * 96.0 / 72.0));
}

QFont pictureFont(int points)
{
    QFont f = makeFont(songFamilies(), pixelSize(points));
    // Pure text pixels in the brush's colour, as on the panel.
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

QFont windowFont(int pixels)
{
    return makeFont(captionFamilies(), pixels);
}

QFont headingFont(int pixels)
{
    QFont f = makeFont(
        {kaiFace(), QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("WenQuanYi Zen Hei Mono")},
        pixels);
    f.setBold(true);
    return f;
}

} // namespace FontClasses
